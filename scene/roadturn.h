// RoadTurn: a square turn piece, flat or curved, whose texture carries the
// curve and its orientation: the map's "flatTurn" and "turn" are 16 x 16,
// "turnLarge" is 32 x 32. All orientations of a turn draw the same square.
#pragma once

#include "scene/road.h"

class RoadTurn : public Road {
public:
    static constexpr float kSide = 16.0f;      // world units: a flat turn and a turn
    static constexpr float kLargeSide = 32.0f; // world units: a large turn

    explicit RoadTurn(float side) : Road(side) {}
};
