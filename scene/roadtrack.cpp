// RoadTrack: the point test against every placed road piece it is given.
#include "scene/roadtrack.h"

#include "mapfile/worldrules.h"

namespace {
constexpr float kRoadHalfWidth = 4.0f; // half the 8-unit width of a straight piece
}

RoadTrack::Measure RoadTrack::measureOf(const std::string& key) {
    if (key == WorldRules::kFlatAlongZKey)
        return FlatAlongZ;
    if (key == WorldRules::kFlatAlongXKey)
        return FlatAlongX;
    return ByBlueprint;
}

bool RoadTrack::isOnRoad(const FPoint& point, const std::vector<Pieces>& pieces) {
    for (const Pieces& piece : pieces) {
        for (const TObject* object : *piece.objects) {
            float halfWidth, halfDepth;
            if (piece.measure == FlatAlongZ) {
                halfWidth = kRoadHalfWidth;
                halfDepth = object->scale.x / 2;
            } else if (piece.measure == FlatAlongX) {
                halfWidth = object->scale.x / 2;
                halfDepth = kRoadHalfWidth;
            } else {
                halfWidth = piece.blueprint->getWidth(*object) / 2;
                halfDepth = piece.blueprint->getDepth(*object) / 2;
            }
            const FPoint& p = object->position;
            if (p.x - halfWidth <= point.x && point.x <= p.x + halfWidth &&
                p.z - halfDepth <= point.z && point.z <= p.z + halfDepth)
                return true;
        }
    }
    return false;
}
