// MapRules: the rules a map must keep for its world to work as its author
// means, which the format alone does not show: roads that belong to the road
// network and straights that cars follow, a start point the walker can move
// from, lights that answer their keys, keys given, mobile objects that can
// drive, and the quads' cell budget. Reads a map's data only and names each
// break at its place, saying what will happen; it changes nothing.
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapdiagnostics.h"

namespace MapRules {

void check(const MapData& data, MapDiagnostics& report);

} // namespace MapRules
