// RoadTrack: the keys of the road blueprints, in registration order, and the
// test whether a point lies on a placed road piece.
#pragma once

#include "scene/fpoint.h"
#include <list>
#include <string>

class Map;

class RoadTrack {
public:
    // How the extent of a placed piece is measured: from its blueprint, or,
    // for the straight pieces keyed "road_flat_Z" and "road_flat_X", 8 wide
    // and as long as the instance's x scale.
    enum Measure { ByBlueprint, FlatAlongZ, FlatAlongX };
    static Measure measureOf(const std::string& key);

    RoadTrack() = default;
    virtual ~RoadTrack() = default;

    void addRoadKey(const std::string& key) { keys.push_back(key); }
    void clear() { keys.clear(); }
    // True if the point's x and z lie on a placed instance of a road blueprint
    // (edges included); y is not compared.
    bool isOnRoad(const FPoint& point, Map* world) const;

    std::list<std::string> keys; // a key registered twice is held twice
};
