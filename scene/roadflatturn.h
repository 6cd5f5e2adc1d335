// RoadFlatTurn: a 16 x 16 flat turn piece; its texture carries the orientation.
#pragma once

#include "scene/road.h"

class RoadFlatTurn : public Road {
public:
    explicit RoadFlatTurn(int direction) : Road(1, kTurnSize), direction(direction) {}

    int direction; // kept; the texture carries the orientation
};
