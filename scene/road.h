// Road: the base of the road pieces, quads of a fixed size whose texture
// carries the road (and a turn's curve). The world registers every blueprint
// whose key has the road prefix (WorldRules::isRoadKey) in the road track, so
// cars can drive on it.
#pragma once

#include "scene/quad.h"

class Road : public Quad {
public:
    ~Road() override = default;

protected:
    Road() = default;
    // A square piece: side x side world units, its texture laid once.
    explicit Road(float side) {
        width = side;
        height = side;
        repeatX = 1;
        repeatZ = 1;
    }
};
