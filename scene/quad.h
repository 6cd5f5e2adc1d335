// Quad: a flat, horizontal, textured rectangle centred on position, drawn as
// a grid of 2 x 2 unit cells, two triangles a cell, the texture laid
// repeatX times across the width (x) and repeatZ times along the height (z).
#pragma once

#include "scene/tobject.h"
#include <string>

class Quad : public TObject {
public:
    Quad() = default;
    ~Quad() override = default;

    void setTexture(const std::string& key);
    // Binds the texture of textureKey when textured, else disables texturing.
    void bindTexture();
    void draw() override;
    float getWidth() override { return width; }
    float getHeight() override { return 0; } // flat, whatever the box says
    float getDepth() override { return height; }

    float width = 0;          // extent along x, world units
    float height = 0;         // extent along z (the map file calls it height)
    float repeatZ = 10;       // texture repeats along z
    float repeatX = 10;       // texture repeats along x
    std::string textureKey;
    bool textured = true;
};
