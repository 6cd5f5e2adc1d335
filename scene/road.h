// Road: the base of the road pieces, quads of a fixed size whose texture
// carries the road (and a turn's curve). The loader registers every blueprint
// whose key begins with "road" in the road track, so cars can drive on it.
#pragma once

#include "scene/quad.h"

class Road : public Quad {
public:
    ~Road() override = default;

    int kind; // 0 flat, 1 flat turn, 2 turn, 3 large turn

protected:
    explicit Road(int kind) : kind(kind) {}
    // A square piece: side x side world units, its texture laid once.
    Road(int kind, float side) : kind(kind) {
        width = side;
        height = side;
        repeatX = 1;
        repeatZ = 1;
    }

    static constexpr float kTurnSize = 16.0f;      // side of a flat turn and a turn
    static constexpr float kLargeTurnSize = 32.0f; // side of a large turn
};
