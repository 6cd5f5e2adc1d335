// GirderRect: an axis-aligned box hanging from its position (the front-top-left
// corner): width towards +x, height downwards, depth towards -z.
#pragma once

#include "scene/girder.h"

class GirderRect : public Girder {
public:
    GirderRect(float width, float height, float depth);
    // The box around ftl.
    Corners cornersAt(const FPoint& ftl) const override;

    float width;
    float height;
    float depth;
};
