// RoadTurnLarge: a 32 x 32 turn piece; its texture carries the curve.
#pragma once

#include "scene/road.h"

class RoadTurnLarge : public Road {
public:
    explicit RoadTurnLarge(int direction) : Road(3, kLargeTurnSize), direction(direction) {}

    int direction; // kept; the texture carries the orientation
};
