// Small 3DS files built from bytes for the reader and model tests, and the
// seeds of the mutation test.
#pragma once

#include "model3ds/writer3ds.h"

#include <string>

namespace fixtures3ds {

// Two materials ("red" as a float colour, "blue" with a texture map) and two
// objects: "left", textured, two faces in two groups; "right", one face.
inline std::string twoObjects() {
    Writer3DS w;
    w.beginFile();
            w.material("red", 1.0f, 0.0f, 0.0f);
            w.material("blue", 0.0f, 0.0f, 1.0f, "BLUE.PNG");
            Writer3DS::Mesh left;
            left.name = "left";
            left.vertices = {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1};
            left.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
            left.faces = {0, 1, 2, 0, 2, 3};
            left.groups = {{"red", {0}}, {"blue", {1, 0}}};
            w.object(left);
            Writer3DS::Mesh right;
            right.name = "right";
            right.vertices = {2, 0, 0, 3, 0, 0, 3, 0, 1};
            right.faces = {0, 1, 2};
            right.groups = {{"red", {0}}};
            w.object(right);
        w.end();
    w.end();
    return w.bytes();
}

// One object "tri" of one face in one group of material "m" coloured (r, g, b).
inline std::string oneTriangle(float r = 0, float g = 1, float b = 0) {
    Writer3DS w;
    w.beginFile();
            w.material("m", r, g, b);
            Writer3DS::Mesh tri;
            tri.name = "tri";
            tri.vertices = {0, 0, 0, 1, 0, 0, 0, 0, 1};
            tri.faces = {0, 1, 2};
            tri.groups = {{"m", {0}}};
            w.object(tri);
        w.end();
    w.end();
    return w.bytes();
}

} // namespace fixtures3ds
