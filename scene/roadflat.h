// RoadFlat: a straight road piece, 8 units wide and as long as the x scale of
// the instance being drawn, laid along z (direction 1) or along x.
#pragma once

#include "scene/road.h"

class RoadFlat : public Road {
public:
    explicit RoadFlat(int direction); // 1: along z; anything else: along x
    void draw() override;
    float getWidth() override;
    float getHeight() override { return 0; }
    float getDepth() override;

    int direction;
};
