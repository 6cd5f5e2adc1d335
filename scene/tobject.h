// TObject: base of every drawable scene object (a blueprint), and, as a plain
// instance, the placement record of an object placed in the world (a
// blueprint instance). A blueprint is shared by all its instances: it is
// drawn and measured at a placement it is given, never moved itself.
#pragma once

#include "scene/bounds.h"
#include "scene/fpoint.h"

#include <vector>

class TextureFactory;

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    // Copies only the placement and the box; the target keeps its own class.
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;

    // Emits the object's geometry with immediate-mode GL at placement's
    // position, rotation and scale, its texture keys resolved in textures.
    // Leaves the model-view matrix as it found it.
    virtual void draw(const TObject& /*placement*/, const TextureFactory& /*textures*/) {}
    // Draws the object at each placement in turn, as draw does, into one
    // display list being compiled; a class may share GL state between them.
    virtual void drawBatch(const std::vector<const TObject*>& placements,
                           const TextureFactory& textures) {
        for (const TObject* placement : placements)
            draw(*placement, textures);
    }
    // Full extents along x, y and z at a placement; callers centre them on a
    // point of their choosing. Only a straight road's length depends on it.
    virtual float getWidth(const TObject& /*placement*/) const { return boxWidth; }
    virtual float getHeight(const TObject& /*placement*/) const { return boxHeight; }
    virtual float getDepth(const TObject& /*placement*/) const { return boxDepth; }

    // What draw(placement, ...) covers in world coordinates, so that the
    // world can skip it when it is out of view or hidden. Unknown (never
    // skipped) unless the class says.
    virtual Bounds bounds(const TObject& /*placement*/) const { return Bounds(); }

    FPoint position;       // meaning depends on the class (centre, first corner, origin)
    FPoint rotation;       // degrees about x, y and z
    FPoint scale{1, 1, 1}; // factors along x, y and z
    float boxWidth = 0;    // bounding box extent along x, world units
    float boxHeight = 0;   // along y
    float boxDepth = 0;    // along z
};
