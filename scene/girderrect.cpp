// GirderRect: an axis-aligned box whose corners follow its position.
#include "scene/girderrect.h"

GirderRect::GirderRect(float width, float height, float depth)
    : Girder(FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint(), FPoint()),
      width(width), height(height), depth(depth) {
    position = FPoint(0, 0, 0);
}

void GirderRect::draw() {
    updateCorners();
    Girder::draw();
}

void GirderRect::updateCorners() {
    // The world moves the blueprint by its position only, so the box is rebuilt
    // around the position at every draw.
    const FPoint p = position;
    const float right = p.x + width;
    const float bottom = p.y - height;
    const float back = p.z - depth;
    ftr = FPoint(right, p.y, p.z);
    fbl = FPoint(p.x, bottom, p.z);
    fbr = FPoint(right, bottom, p.z);
    btl = FPoint(right, p.y, back);
    btr = FPoint(p.x, p.y, back);
    bbl = FPoint(right, bottom, back);
    bbr = FPoint(p.x, bottom, back);
}
