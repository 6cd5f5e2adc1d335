// GirderRect: an axis-aligned box hanging from its position (the front-top-left
// corner): width towards +x, height downwards, depth towards -z.
#pragma once

#include "scene/girder.h"

class GirderRect : public Girder {
public:
    GirderRect(float width, float height, float depth);
    // Recomputes the corners from position, then draws as a girder.
    void draw() override;
    void updateCorners() override;

    float width;
    float height;
    float depth;
};
