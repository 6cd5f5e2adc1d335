// ViewVolume: the six planes of the current GL view volume, and the bounding
// spheres of placed blueprints, so the drawing pass can skip what cannot be seen.
#pragma once

#include <cmath>

class TObject;

// A sphere in world coordinates; a negative radius stands for "unknown size,
// always drawn".
struct Sphere {
    float x = 0, y = 0, z = 0;
    float radius = -1;
    bool known() const { return radius >= 0; }
    // The smallest axis-aligned box around both, as a sphere around that box.
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

class ViewVolume {
public:
    // Reads the projection and model-view matrices in force (the pick
    // matrix of a selection pass included).
    void fromGL();
    // True when the whole sphere lies outside one of the planes.
    bool outside(const Sphere& sphere) const;

private:
    float planes[6][4] = {}; // a x + b y + c z + d >= 0 inside, (a, b, c) of unit length
};

// The sphere around what blueprint->draw(placement, ...) emits: girders,
// quads and road pieces, 3DS models; unknown for the rest.
Sphere boundingSphere(const TObject* blueprint, const TObject& placement);
// The box around the same (its turned corners for girders and models), so
// that a box drawn in its place covers every pixel the blueprint can.
Box boundingBox(const TObject* blueprint, const TObject& placement);
