// Road pieces: quads of fixed size. RoadFlat is 8 wide and as long as its
// instance's x scale; the turn pieces are squares whose texture carries the curve.
#pragma once

#include "scene/quad.h"

class Road : public Quad {
public:
    explicit Road(int kind) : kind(kind) {}
    ~Road() override = default;

    int kind; // 0 flat, 1 flat turn, 2 turn, 3 large turn
};

class RoadFlat : public Road {
public:
    explicit RoadFlat(int direction); // 1: along z; anything else: along x
    void draw() override;
    float getWidth() override;
    float getHeight() override { return 0; }
    float getDepth() override;

    int direction;
};

class RoadFlatTurn : public Road {
public:
    explicit RoadFlatTurn(int direction);
    int direction; // kept; the texture carries the orientation
};

class RoadTurn : public Road {
public:
    explicit RoadTurn(int direction);
    int direction;
};

class RoadTurnLarge : public Road {
public:
    explicit RoadTurnLarge(int direction);
    int direction;
};
