// TObject: base of every drawable scene object, and, as a plain instance, the
// placement record of an object placed in the world (a blueprint instance).
#pragma once

#include "scene/fpoint.h"

class TObject {
public:
    TObject() { resetTransform(); }
    virtual ~TObject() = default;
    // Copies only the placement and the box; the target keeps its own class.
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;

    // Emits the object's geometry with immediate-mode GL, in world coordinates.
    virtual void draw() {}
    // Full extents along x, y and z; callers centre them on a point of their choosing.
    virtual float getWidth() { return boxWidth; }
    virtual float getHeight() { return boxHeight; }
    virtual float getDepth() { return boxDepth; }

    // Position and rotation to 0, scale to 1; the box stays.
    void resetTransform() {
        position = FPoint(0, 0, 0);
        rotation = FPoint(0, 0, 0);
        scale = FPoint(1, 1, 1);
    }

    FPoint position;        // meaning depends on the class (centre, first corner, origin)
    FPoint rotation;        // degrees about x, y and z
    FPoint scale{1, 1, 1};  // factors along x, y and z
    float boxWidth = 0;     // bounding box extent along x, world units
    float boxHeight = 0;    // along y
    float boxDepth = 0;     // along z
};
