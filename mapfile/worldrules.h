// WorldRules: the rules of the world a map builds, written once. The map
// checks judge a map's data by them and the world, its scene objects and its
// texture store act by them, so a check and the world cannot disagree.
// Plain C++ without Qt or GL: the checks include it as well as the world.
#pragma once

#include <cmath>
#include <string>

namespace WorldRules {

// Every placed object but the sky box is raised by this much when it is
// placed (world units): a map's y of 0 stands on the ground.
constexpr float kHeightOffset = 1.0f;

// The object key of the sky box: it keeps its y, is lit by the first light
// alone, and its blueprint's box, centred at (0, kSkyBoxCentreY, 0) wherever
// the sky box stands, is where the walker may go.
constexpr const char* kSkyBoxKey = "skybox";
constexpr float kSkyBoxCentreY = 50.0f;
inline bool isSkyBox(const std::string& objectKey) {
    return objectKey == kSkyBoxKey;
}

// The start of a map without a camera: the eye and the point it looks at
// (world units), along -z.
constexpr double kDefaultEye[3] = {0.0, 2.5, 35.0};
constexpr double kDefaultCentre[3] = {0.0, 2.5, 30.0};

// Lights: the keys 0..7 switch the lights in load order; a light's "nr" 1..7
// drives GL_LIGHT0 + nr, anything else (0 included) GL_LIGHT0.
constexpr int kLightKeys = 8;
inline int lightNumber(int nr) {
    return nr >= 1 && nr <= 7 ? nr : 0;
}

// The most textures one map loads; later ones are refused.
constexpr int kMaxTextures = 50;

// Quads are drawn as a grid of square cells of this side (world units).
// Cell loops run on int, so a quad with an edge at or beyond kMaxCellEdge
// (or not a number) draws nothing.
constexpr float kCellSize = 2.0f;
constexpr float kMaxCellEdge = 1.0e9f;
// The most cells one quad, and all quads of a world together, may have:
// about 4000 x 4000 world units, far beyond the 750-unit view. More is a slip
// of the map author's and would take gigabytes of display lists.
constexpr long kMaxCells = 4000000;

inline bool drawableEdge(float edge) {
    return std::isfinite(edge) && std::fabs(edge) < kMaxCellEdge;
}

// The cells a quad of width (along x) by height (along z) centred at x, z is
// drawn with: from its lower edges cut to whole units to one cell past its
// upper edges. 0 when it cannot be drawn at all (a negative or unreadable
// size, an edge out of range).
inline double cellsOf(float x, float z, float width, float height) {
    const float lowX = x - width / 2, highX = x + width / 2;
    const float lowZ = z - height / 2, highZ = z + height / 2;
    if (!(width >= 0) || !(height >= 0) || !drawableEdge(lowX) || !drawableEdge(highX) ||
        !drawableEdge(lowZ) || !drawableEdge(highZ))
        return 0;
    const double across = std::ceil((highX - std::trunc(lowX)) / kCellSize);
    const double along = std::ceil((highZ - std::trunc(lowZ)) / kCellSize);
    return (across > 0 ? across : 0.0) * (along > 0 ? along : 0.0);
}

// Road blueprints: a key that starts with kRoadKeyPrefix puts the blueprint
// in the road network that cars follow. The two straights keyed
// kFlatAlongXKey and kFlatAlongZKey are measured by each placement's own
// length; every other piece by its blueprint.
constexpr const char* kRoadKeyPrefix = "road";
constexpr const char* kFlatAlongXKey = "road_flat_X";
constexpr const char* kFlatAlongZKey = "road_flat_Z";
inline bool isRoadKey(const std::string& blueprintKey) {
    return blueprintKey.compare(0, std::char_traits<char>::length(kRoadKeyPrefix),
                                kRoadKeyPrefix) == 0;
}

} // namespace WorldRules
