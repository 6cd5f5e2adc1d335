// The large 3DS model the reader benchmarks read: twenty objects of 65,025
// vertices and 64,516 faces with mapping coordinates and one material group
// each, about 39 MB.
#pragma once

#include "model3ds/writer3ds.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace largemodel {

inline constexpr int kObjects = 20;
inline constexpr int kGridSide = 255;     // vertices per side: 65,025 vertices an object
inline constexpr float kCellSize = 0.01f; // grid spacing, world units

// The large model: each object a wavy grid of kGridSide^2 vertices and
// almost as many faces (one triangle per cell, alternating diagonals).
inline std::string bytes() {
    Writer3DS w;
    w.beginFile();
    w.material("surface", 0.6f, 0.6f, 0.6f, "SURFACE.PNG");
    for (int o = 0; o < kObjects; ++o) {
        Writer3DS::Mesh mesh;
        mesh.name = "grid" + std::to_string(o);
        for (int j = 0; j < kGridSide; ++j)
            for (int i = 0; i < kGridSide; ++i) {
                const float x = i * kCellSize, y = j * kCellSize;
                mesh.vertices.insert(mesh.vertices.end(),
                                     {x + o, y, 0.1f * std::sin(x * 7) * std::cos(y * 5)});
                mesh.texCoords.insert(mesh.texCoords.end(),
                                      {float(i) / kGridSide, float(j) / kGridSide});
            }
        Writer3DS::Mesh::Group group{"surface", {}};
        for (int j = 0; j + 1 < kGridSide; ++j)
            for (int i = 0; i + 1 < kGridSide; ++i) {
                const auto v = [&](int di, int dj) {
                    return std::uint16_t((j + dj) * kGridSide + i + di);
                };
                if ((i + j) % 2)
                    mesh.faces.insert(mesh.faces.end(), {v(0, 0), v(1, 0), v(1, 1)});
                else
                    mesh.faces.insert(mesh.faces.end(), {v(0, 0), v(1, 1), v(0, 1)});
                group.faces.push_back(std::uint16_t(group.faces.size()));
            }
        mesh.groups.push_back(group);
        w.object(mesh);
    }
    w.end();
    w.end();
    return w.bytes();
}

} // namespace largemodel
