// ViewVolume: the six planes of the current GL view volume, so the drawing
// pass can skip what cannot be seen.
#pragma once

#include "scene/bounds.h"

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
