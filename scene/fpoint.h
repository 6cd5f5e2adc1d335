// FPoint: the program's 3D point and vector, three single-precision floats
// (12 bytes, no virtual table). y is up; the ground is the x-z plane. Held by
// value everywhere.
#pragma once

class FPoint {
public:
    FPoint(float x = 0, float y = 0, float z = 0) : x(x), y(y), z(z) {}

    float x;
    float y; // up
    float z;
};

// 100,000 placed objects hold three points each: no hidden table pointer.
static_assert(sizeof(FPoint) == 3 * sizeof(float), "FPoint is three floats");
