// RoadFlat: the straight piece stretches along its axis to the x scale of the
// placement it is drawn at.
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

RoadFlat::RoadFlat(int direction) : alongZ(direction == kAlongZ) {
    width = kRoadWidth;
    height = kRoadWidth;
    repeatX = alongZ ? 1.0f : float(kTextureLength);
    repeatZ = alongZ ? float(kTextureLength) : 1.0f;
}

Quad::Grid RoadFlat::gridAt(const TObject& placement) const {
    const float length = placement.scale.x;
    Grid grid;
    grid.centre = placement.position;
    grid.width = alongZ ? kRoadWidth : length;
    grid.height = alongZ ? length : kRoadWidth;
    grid.repeatX = alongZ ? 1.0f : lengthRepeat(length);
    grid.repeatZ = alongZ ? lengthRepeat(length) : 1.0f;
    return grid;
}
