// RoadFlat: the straight piece stretches along its axis to the x scale of the
// instance being drawn.
#include "scene/roadflat.h"

#include <cmath>

namespace {

constexpr float kRoadWidth = 8.0f; // world units across a straight piece
constexpr int kTextureLength = 8;  // world units of road one texture repeat covers
constexpr int kAlongZ = 1;         // direction value of a piece laid along z
// Beyond this the length is not truncated to int (and draws nothing useful anyway).
constexpr float kMaxLength = 1.0e9f;

// Repeat count along a straight piece of the given length: the length less
// the part of its whole units that does not fill a full repeat of 8.
float lengthRepeat(float length) {
    if (!std::isfinite(length) || std::fabs(length) >= kMaxLength)
        return 0.0f;
    int whole = int(length); // truncated toward zero
    return length - float(whole % kTextureLength);
}

} // namespace

RoadFlat::RoadFlat(int direction) : Road(0), direction(direction) {
    width = kRoadWidth;
    height = kRoadWidth;
    repeatX = direction == kAlongZ ? 1.0f : float(kTextureLength);
    repeatZ = direction == kAlongZ ? float(kTextureLength) : 1.0f;
}

void RoadFlat::draw() {
    const float length = scale.x;
    if (direction == kAlongZ) {
        width = kRoadWidth;
        height = length;
        repeatZ = lengthRepeat(length);
        repeatX = 1;
    } else {
        width = length;
        height = kRoadWidth;
        repeatX = lengthRepeat(length);
        repeatZ = 1;
    }
    Quad::draw();
}

float RoadFlat::getWidth() {
    return direction == kAlongZ ? kRoadWidth : scale.x;
}

float RoadFlat::getDepth() {
    return direction == kAlongZ ? scale.x : kRoadWidth;
}
