// Helpers of the scene tests: quads rebuilt from the triangles that GL
// feedback reports, one-colour textures loaded once per process, and a
// one-pixel render of a draw call under a chosen view.
#pragma once

#include "tests/support/gltest.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace scenetest {

constexpr float kTolerance = 1e-3f; // object units; feedback goes through window coordinates

bool samePoint(const testgl::Vertex& a, const testgl::Vertex& b);

// Mesa reports a GL_QUADS quad (v0 v1 v2 v3) as the triangles (v0 v1 v3) and
// (v1 v2 v3); this joins such pairs back into four-vertex polygons in draw
// order. Polygons that already have four vertices are kept. Returns an empty
// vector if the triangles do not pair up.
std::vector<testgl::Polygon> joinQuads(const std::vector<testgl::Polygon>& polygons);

// Loads (once per process) a 2 x 2 texture of one opaque colour under key and
// returns its GL name. The factory holds at most 50 textures per process.
unsigned colourTexture(const std::string& key, unsigned rgb);

// Renders draw into the test widget's back buffer with depth test, under an
// orthographic view of [-extent, extent] on every axis after view() has set up
// the model-view matrix, and returns the RGB of the centre pixel. Lighting,
// texturing and materials are as the caller leaves them.
std::array<int, 3> centrePixel(const std::function<void()>& view, const std::function<void()>& draw,
                               float extent = 4.0f);

} // namespace scenetest
