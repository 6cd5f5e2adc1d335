// RoadTrack: the point test against every placed instance of a road blueprint.
#include "scene/roadtrack.h"

#include "world/map.h"

namespace {
constexpr float kRoadHalfWidth = 4.0f; // half the 8-unit width of a straight piece
}

RoadTrack::Measure RoadTrack::measureOf(const std::string& key) {
    if (key == "road_flat_Z")
        return FlatAlongZ;
    if (key == "road_flat_X")
        return FlatAlongX;
    return ByBlueprint;
}

bool RoadTrack::isOnRoad(const FPoint& point, Map* world) const {
    if (!world)
        return false;
    for (const Map::Placement* piece : world->roadPlacements()) {
        float halfWidth = piece->blueprint->getWidth() / 2;
        float halfDepth = piece->blueprint->getDepth() / 2;
        for (const TObject* object : piece->objects) {
            if (piece->measure == FlatAlongZ) {
                halfWidth = kRoadHalfWidth;
                halfDepth = object->scale.x / 2;
            } else if (piece->measure == FlatAlongX) {
                halfWidth = object->scale.x / 2;
                halfDepth = kRoadHalfWidth;
            }
            const FPoint& p = object->position;
            if (p.x - halfWidth <= point.x && point.x <= p.x + halfWidth &&
                p.z - halfDepth <= point.z && point.z <= p.z + halfDepth)
                return true;
        }
    }
    return false;
}
