// Writes the two worlds that measure what a model's object count costs per
// frame:
//   kolvar-bench-models DIR
// DIR/objects16k holds one mobile model of 16,000 small squares, one object
// each; DIR/object1 the same 32,000 faces as one object. Both have one
// material, mapping coordinates and the viewer looking at the squares:
//   cd DIR/objects16k && kolvar --frames 200
#include "model3ds/writer3ds.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kColumns = 128, kRows = 125; // 16,000 squares
constexpr float kSpacing = 0.25f;          // world units between square corners
constexpr float kSide = 0.2f;

// Square s's four corners (file coordinates, z up: an upright wall facing
// -y, which the model's reading turns into +z) appended to mesh, with its
// two faces and its group's face numbers.
void addSquare(Writer3DS::Mesh& mesh, int s) {
    const float x = (s % kColumns - kColumns / 2) * kSpacing, z = (s / kColumns) * kSpacing;
    const auto first = std::uint16_t(mesh.vertices.size() / 3);
    mesh.vertices.insert(mesh.vertices.end(),
                         {x, 0, z, x + kSide, 0, z, x + kSide, 0, z + kSide, x, 0, z + kSide});
    mesh.texCoords.insert(mesh.texCoords.end(), {0, 0, 1, 0, 1, 1, 0, 1});
    const auto face = std::uint16_t(mesh.faces.size() / 3);
    mesh.faces.insert(mesh.faces.end(),
                      {first, std::uint16_t(first + 1), std::uint16_t(first + 2), first,
                       std::uint16_t(first + 2), std::uint16_t(first + 3)});
    mesh.groups.front().faces.insert(mesh.groups.front().faces.end(),
                                     {face, std::uint16_t(face + 1)});
}

bool writeWorld(const fs::path& dir, bool oneObject) {
    Writer3DS w;
    w.beginFile();
    w.material("paint", 0.8f, 0.5f, 0.2f, "");
    Writer3DS::Mesh mesh;
    for (int s = 0; s < kColumns * kRows; ++s) {
        if (mesh.groups.empty()) {
            mesh.name = "square" + std::to_string(s);
            mesh.groups.push_back({"paint", {}});
        }
        addSquare(mesh, s);
        // One object holds at most 65,536 vertices: 16,000 squares fit.
        if (!oneObject || s + 1 == kColumns * kRows) {
            w.object(mesh);
            mesh = Writer3DS::Mesh();
        }
    }
    w.end();
    w.end();
    std::error_code error;
    fs::create_directories(dir / "maps", error);
    std::ofstream model(dir / "maps" / "squares.3ds", std::ios::binary);
    model << w.bytes();
    std::ofstream map(dir / "maps" / "basicMap.xml");
    map << R"(<?xml version="1.0" encoding="UTF-8"?>
<map>
  <camera>
    <startingPos posx="0" posy="8" posz="40" viewx="0" viewy="8" viewz="30"/>
  </camera>
  <lights>
    <light nr="1" x="0.4" y="1" z="0.6" a="0" on="true">
      <ambient r="0.45" g="0.45" b="0.45" a="1"/>
      <diffuse r="0.62" g="0.6" b="0.54" a="1"/>
    </light>
  </lights>
  <blueprints>
    <blueprint type="smax" key="squares" file="maps/squares.3ds">
      <boundingBox width="32" height="32" depth="1"/>
    </blueprint>
  </blueprints>
  <objects>
    <object key="squares" blueprintKey="squares" mobile="true"><pos x="0" y="0" z="0"/></object>
  </objects>
</map>
)";
    return bool(model) && bool(map);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "gebruik: kolvar-bench-models DIR\n";
        return 2;
    }
    const fs::path dir = argv[1];
    if (!writeWorld(dir / "objects16k", false) || !writeWorld(dir / "object1", true)) {
        std::cerr << "kolvar-bench-models: kon niet schrijven in " << dir.string() << "\n";
        return 1;
    }
    return 0;
}
