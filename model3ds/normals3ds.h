// Vertex normals of a 3DS object, for drawing. The reader does not compute
// them: the inspector and anything else that only reads a model need not pay
// for them.
#pragma once

#include "model3ds/reader3ds.h"

#include <vector>

// x, y, z per vertex of object: the unit-length sum of the unnormalised
// normals N = (B - C) x (B - A) of the faces using the vertex, so larger
// faces weigh more. A face naming a vertex past the object's vertices, or
// whose normal is not a finite number or absurdly large (edges over about
// 1e15), is skipped; a vertex of no face (or of faces that cancel, or whose
// sum is too large to normalise) gets (0, 0, 0). No normal is ever NaN.
std::vector<float> vertexNormals(const Object3DS& object);
