// Image checks without GL: whether an image file named by a map can serve as
// a texture. Used by the map loader, also when a map is only checked.
#pragma once

#include <QString>

// Why this image file cannot serve as a texture, or an empty string if it can.
QString imageFileProblem(const QString& path);
