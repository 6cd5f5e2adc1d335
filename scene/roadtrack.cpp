// RoadTrack: the point test against every placed instance of a road blueprint.
#include "scene/roadtrack.h"

#include "world/map.h"

namespace {
constexpr float kRoadHalfWidth = 4.0f; // half the 8-unit width of a straight piece
}

bool RoadTrack::isOnRoad(const FPoint& point, Map* world) const {
    if (!world)
        return false;
    bool found = false;
    for (auto key = keys.begin(); !found && key != keys.end(); ++key) {
        auto blueprint = world->blueprints.find(*key);
        if (blueprint == world->blueprints.end() || !blueprint->second)
            continue;
        float halfWidth = blueprint->second->getWidth() / 2;
        float halfDepth = blueprint->second->getDepth() / 2;
        auto group = world->objects.find(*key);
        if (group == world->objects.end())
            continue;
        for (const auto& entry : group->second) {
            const TObject* object = entry.second;
            if (!object)
                continue;
            // Straight pieces under these keys are measured per instance: their
            // length is the instance's x scale.
            if (*key == "road_flat_Z") {
                halfWidth = kRoadHalfWidth;
                halfDepth = object->scale.x / 2;
            } else if (*key == "road_flat_X") {
                halfWidth = object->scale.x / 2;
                halfDepth = kRoadHalfWidth;
            }
            const FPoint& p = object->position;
            if (p.x - halfWidth <= point.x && point.x <= p.x + halfWidth &&
                p.z - halfDepth <= point.z && point.z <= p.z + halfDepth)
                found = true;
        }
    }
    return found;
}
