// Bounds: what a scene object covers at a placement, in world coordinates: a
// sphere for the view volume's test and an axis-aligned box for occlusion.
// Each blueprint class works out its own (TObject::bounds).
#pragma once

#include <cmath>

// A sphere in world coordinates; a negative radius stands for "unknown size,
// always drawn".
struct Sphere {
    float x = 0, y = 0, z = 0;
    float radius = -1;
    bool known() const { return radius >= 0; }
    // The smallest sphere around both; unknown when either is.
    Sphere merged(const Sphere& other) const;
};

// The sphere around the box from lowest to highest (x, y, z).
Sphere sphereAround(const float* lowest, const float* highest);

// An axis-aligned box in world coordinates; empty (lo above hi) stands for
// "unknown size".
struct Box {
    float lo[3] = {INFINITY, INFINITY, INFINITY};
    float hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    void add(float x, float y, float z);
    void add(const Box& other);
    // Not empty and within a float's range.
    bool known() const;
    // The sphere around the box, a little larger against rounding; unknown
    // when the box is.
    Sphere sphere() const;
};

// Both of one placed object; unknown (always drawn, never skipped) unless
// its class knows better.
struct Bounds {
    Sphere sphere;
    Box box;
};

namespace BoundsMath {
// Slack for the float rounding of transformed corners, world units.
constexpr float kMargin = 0.01f;
// Rotates v by degrees about the axis (0 x, 1 y, 2 z), as glRotatef does.
void rotate(float v[3], float degrees, int axis);
// Calls corner(x, y, z) for each of the box's eight corners.
template <typename Corner> void eachCorner(const Box& box, Corner corner) {
    for (int i = 0; i < 8; ++i)
        corner(i & 1 ? box.hi[0] : box.lo[0], i & 2 ? box.hi[1] : box.lo[1],
               i & 4 ? box.hi[2] : box.lo[2]);
}
} // namespace BoundsMath
