// MapCheck: what a map's data holds that will not work as its author meant:
// keys defined twice or never, blueprints of unknown type, road directions,
// the camera's start. Reads the data only (no GL, no world, no files), in
// the order the world is built, and reports each problem at its place.
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapdiagnostics.h"

namespace MapCheck {

// Limits of the world that the data is judged against.
struct Limits {
    int maxTextures = 50; // textures loaded for one map; later ones are refused
};

void check(const MapData& data, MapDiagnostics& report, const Limits& limits);

// What the road blueprints' "direction" values mean: the turn pieces' names
// and values, or -1 when the name is not known for the subtype. A straight
// ("flat") runs along x for "X", along z for anything else.
int roadDirection(const QString& subtype, const std::string& direction);

} // namespace MapCheck
