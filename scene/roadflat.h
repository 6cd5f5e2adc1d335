// RoadFlat: a straight road piece, 8 units wide and as long as the x scale of
// the placement it is drawn at, laid along z (direction 1) or along x.
#pragma once

#include "scene/road.h"

class RoadFlat : public Road {
public:
    explicit RoadFlat(int direction); // 1: along z; anything else: along x
    // 8 wide and as long as placement's x scale, the texture laid once per 8 units.
    Grid gridAt(const TObject& placement) const override;

    bool alongZ;
};
