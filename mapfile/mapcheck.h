// MapCheck: what a map's data holds that will not work as its author meant:
// keys defined twice or never, blueprints of unknown type, road directions,
// the camera's start. Reads the data only (no GL, no world, no files), in
// the order the world is built, and reports each problem at its place.
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapdiagnostics.h"

namespace MapCheck {

// Judges the data against the world's rules (worldrules.h).
void check(const MapData& data, MapDiagnostics& report);

} // namespace MapCheck
