// GirderRect: an axis-aligned box whose corners follow the placement.
#include "scene/girderrect.h"

GirderRect::GirderRect(float width, float height, float depth)
    : Girder(FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint()),
      width(width), height(height), depth(depth) {}

Girder::Corners GirderRect::cornersAt(const FPoint& p) const {
    const float right = p.x + width;
    const float bottom = p.y - height;
    const float back = p.z - depth;
    // ftl, ftr, fbr, fbl, btl, btr, bbr, bbl, as the girder names them.
    return {p,
            FPoint(right, p.y, p.z),
            FPoint(right, bottom, p.z),
            FPoint(p.x, bottom, p.z),
            FPoint(right, p.y, back),
            FPoint(p.x, p.y, back),
            FPoint(p.x, bottom, back),
            FPoint(right, bottom, back)};
}
