// Writes a test world for measuring the drawing at scale:
//   kolvar-make-world DIR CUBES MODELS [ASSETS [GROUND]]
// DIR/maps/basicMap.xml holds CUBES textured girder cubes on a grid over a
// grass quad and MODELS mobile 3DS cars between them, with the default
// world's lights. DIR/maps/textures and DIR/maps/models link to ASSETS
// (default: maps/ below the working directory), so DIR can be run as is.
// GROUND sets the grass quad's side (default: a little larger than the grid):
//   cd DIR && kolvar --frames 200
#include "console/commandline.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr double kCubeSpacing = 4.0; // world units between cube corners along x and z
constexpr double kCubeSide = 1.5;
constexpr double kCarSpacing = 6.0; // cars stand in a row along x in front of the viewer

const char* kHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<map>
  <camera>
    <startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5" viewz="30"/>
  </camera>
  <lights>
    <light nr="0" x="0" y="1" z="0" a="0" on="true">
      <ambient r="0.8" g="0.8" b="0.8" a="1"/>
      <diffuse r="0" g="0" b="0" a="1"/>
      <specular r="0" g="0" b="0" a="1"/>
    </light>
    <light nr="1" x="0.4" y="1" z="0.6" a="0" on="true">
      <ambient r="0.45" g="0.45" b="0.45" a="1"/>
      <diffuse r="0.62" g="0.6" b="0.54" a="1"/>
      <specular r="0.3" g="0.3" b="0.28" a="1"/>
    </light>
    <light nr="2" x="0" y="2.5" z="35" a="1" on="true" flashlight="true">
      <ambient r="0" g="0" b="0" a="1"/>
      <diffuse r="0.9" g="0.85" b="0.65" a="1"/>
      <specular r="0.2" g="0.2" b="0.2" a="1"/>
      <spot radius="18" x="0" y="0" z="-1" a="1" exponent="6"/>
      <attenuation constant="1" linear="0.02" quadratic="0"/>
    </light>
  </lights>
  <textures>
    <texture key="grass" file="maps/textures/grass.png"/>
    <texture key="crate" file="maps/textures/crate.png"/>
  </textures>
  <blueprints>
    <blueprint type="girder" key="cube">
      <boundingBox width="1.5" height="1.5" depth="1.5"/>
      <params subtype="cube" width="1.5"/>
      <textures><texture side="all" textureKey="crate"/></textures>
      <normals>
        <normal side="front" x="0" y="0" z="1"/>
        <normal side="back" x="0" y="0" z="-1"/>
        <normal side="left" x="-1" y="0" z="0"/>
        <normal side="right" x="1" y="0" z="0"/>
        <normal side="top" x="0" y="1" z="0"/>
        <normal side="bottom" x="0" y="-1" z="0"/>
      </normals>
    </blueprint>
    <blueprint type="smax" key="car" file="maps/models/car_red.3ds">
      <boundingBox width="1.6" height="1.2" depth="3.6"/>
    </blueprint>
    <blueprint type="quad" key="ground">
)";

} // namespace

int main(int argc, char** argv) {
    CommandLine line("kolvar-make-world", "DIR CUBES MODELS [ASSETS [GROUND]]",
                     "Schrijft DIR/maps/basicMap.xml: CUBES kubussen en MODELS auto's op een "
                     "grasveld, om het tekenen te meten.\n"
                     "\n"
                     "ASSETS: de map met textures/ en models/ (standaard maps); GROUND: de zijde "
                     "van het grasveld.");
    int status = 0;
    if (!line.parse(argc, argv, status))
        return status;
    const QList<QByteArray>& given = line.arguments();
    if (given.size() < 3 || given.size() > 5)
        return line.refuse("DIR, CUBES en MODELS nodig");
    // Paths stay the bytes they were given.
    const fs::path dir = given[0].toStdString();
    const long cubes = std::atol(given[1].constData());
    const long models = std::atol(given[2].constData());
    const fs::path assets =
        fs::absolute(given.size() > 3 ? fs::path(given[3].toStdString()) : fs::path("maps"));
    if (cubes < 0 || models < 0 || !fs::is_directory(assets / "textures") ||
        !fs::is_directory(assets / "models")) {
        std::cerr
            << "kolvar-make-world: aantallen >= 0 en een map met textures/ en models/ nodig\n";
        return 2;
    }

    std::error_code error;
    fs::create_directories(dir / "maps", error);
    for (const char* sub : {"textures", "models"}) {
        const fs::path link = dir / "maps" / sub;
        fs::remove(link, error); // none there yet is fine
        error.clear();
        fs::create_directory_symlink(assets / sub, link, error);
        if (error) {
            std::cerr << "kolvar-make-world: kon " << link.string() << " niet koppelen aan "
                      << (assets / sub).string() << ": " << error.message() << "\n";
            return 1;
        }
    }

    // A square grid of cubes centred on the origin, the ground a little larger.
    const long side = long(std::ceil(std::sqrt(double(cubes))));
    const double extent = given.size() > 4 ? std::atof(given[4].constData())
                                           : std::max(200.0, double(side) * kCubeSpacing + 40.0);
    std::ofstream out(dir / "maps" / "basicMap.xml");
    out << kHead << "      <params width=\"" << extent << "\" height=\"" << extent << "\"/>\n"
        << "      <textures><texture textureKey=\"grass\"/></textures>\n"
        << "    </blueprint>\n  </blueprints>\n  <objects>\n"
        << "    <object key=\"ground\" blueprintKey=\"ground\"><pos x=\"0\" y=\"-0.95\" "
           "z=\"0\"/></object>\n";
    const double origin = -double(side) * kCubeSpacing / 2.0;
    for (long i = 0; i < cubes; ++i) {
        const double x = origin + double(i % side) * kCubeSpacing;
        const double z = origin + double(i / side) * kCubeSpacing;
        // The cube hangs from its front-top-left corner; y is raised by 1 on placing.
        out << "    <object key=\"cube" << i << "\" blueprintKey=\"cube\"><pos x=\"" << x
            << "\" y=\"" << (kCubeSide - 1.0) << "\" z=\"" << z << "\"/></object>\n";
    }
    for (long i = 0; i < models; ++i) {
        const double x = (double(i % 20) - 9.5) * kCarSpacing;
        const double z = 20.0 - double(i / 20) * kCarSpacing * 2.0 + kCubeSpacing / 2.0;
        out << "    <object key=\"car" << i << "\" blueprintKey=\"car\" mobile=\"true\"><pos x=\""
            << x << "\" y=\"-0.9\" z=\"" << z << "\"/><rot value=\"180\"/></object>\n";
    }
    out << "  </objects>\n</map>\n";
    out.close();
    if (!out) {
        std::cerr << "kolvar-make-world: kon " << (dir / "maps" / "basicMap.xml")
                  << " niet schrijven\n";
        return 1;
    }
    std::cout << (dir / "maps" / "basicMap.xml").string() << ": " << cubes << " kubussen, "
              << models << " modellen\n";
    return 0;
}
