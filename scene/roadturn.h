// RoadTurn: a 16 x 16 turn piece; its texture carries the curve.
#pragma once

#include "scene/road.h"

class RoadTurn : public Road {
public:
    explicit RoadTurn(int direction) : Road(2, kTurnSize), direction(direction) {}

    int direction; // kept; the texture carries the orientation
};
