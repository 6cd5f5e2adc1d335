// Bounds: boxes and spheres, and the turning of points as GL turns them.
#include "scene/bounds.h"

#include <algorithm>

using BoundsMath::kMargin;

namespace {
constexpr float kDegrees = 3.14159265f / 180.0f;
}

void BoundsMath::rotate(float v[3], float degrees, int axis) {
    if (degrees == 0.0f)
        return;
    const float c = std::cos(degrees * kDegrees), s = std::sin(degrees * kDegrees);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    const float va = v[a], vb = v[b];
    v[a] = c * va - s * vb;
    v[b] = s * va + c * vb;
}

void Box::add(float x, float y, float z) {
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], p[i]);
        hi[i] = std::max(hi[i], p[i]);
    }
}

void Box::add(const Box& other) {
    for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], other.lo[i]);
        hi[i] = std::max(hi[i], other.hi[i]);
    }
}

bool Box::known() const {
    for (int i = 0; i < 3; ++i)
        if (!(lo[i] <= hi[i]) || !std::isfinite(lo[i]) || !std::isfinite(hi[i]))
            return false;
    return true;
}

Sphere Box::sphere() const {
    Sphere s;
    if (!(lo[0] <= hi[0] && lo[1] <= hi[1] && lo[2] <= hi[2]))
        return s;
    s.x = (lo[0] + hi[0]) / 2;
    s.y = (lo[1] + hi[1]) / 2;
    s.z = (lo[2] + hi[2]) / 2;
    const float dx = hi[0] - s.x, dy = hi[1] - s.y, dz = hi[2] - s.z;
    s.radius = std::sqrt(dx * dx + dy * dy + dz * dz) + kMargin;
    // Beyond a float's range (a centre too): unknown, so always drawn.
    if (!std::isfinite(s.radius))
        return Sphere();
    return s;
}

Sphere sphereAround(const float* lowest, const float* highest) {
    Box box;
    box.add(lowest[0], lowest[1], lowest[2]);
    box.add(highest[0], highest[1], highest[2]);
    return box.sphere();
}

Sphere Sphere::merged(const Sphere& other) const {
    if (!known() || !other.known())
        return Sphere();
    // The smallest sphere around both: a box around them would grow the
    // sphere of a batch by about 1.7 times with every object merged in.
    const float dx = other.x - x, dy = other.y - y, dz = other.z - z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d + other.radius <= radius)
        return *this;
    if (d + radius <= other.radius)
        return other;
    Sphere both;
    both.radius = (d + radius + other.radius) / 2;
    const float along = (both.radius - radius) / d; // d > 0: neither holds the other
    both.x = x + dx * along;
    both.y = y + dy * along;
    both.z = z + dz * along;
    both.radius += kMargin; // against rounding
    if (!std::isfinite(both.radius) || !std::isfinite(both.x) || !std::isfinite(both.y) ||
        !std::isfinite(both.z))
        return Sphere(); // beyond a float's range: unknown, so always drawn
    return both;
}
