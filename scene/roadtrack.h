// RoadTrack: the keys of the road blueprints, in registration order, and the
// test whether a point lies on one of the placed road pieces it is given.
#pragma once

#include "scene/fpoint.h"
#include "scene/tobject.h"

#include <list>
#include <string>
#include <vector>

class RoadTrack {
public:
    // How the extent of a placed piece is measured: from its blueprint, or,
    // for the two straights that WorldRules names, 8 wide and as long as the
    // instance's x scale.
    enum Measure { ByBlueprint, FlatAlongZ, FlatAlongX };
    static Measure measureOf(const std::string& key);

    // A road blueprint and where it is placed, as the world resolved them
    // from the keys; read through the pointers, so nothing is copied.
    struct Pieces {
        const TObject* blueprint = nullptr; // never null
        Measure measure = ByBlueprint;
        const std::vector<TObject*>* objects = nullptr; // never null; no null entries
    };

    void addRoadKey(const std::string& key) { keys.push_back(key); }
    // True if the point's x and z lie on one of the placed pieces (edges
    // included); y is not compared.
    static bool isOnRoad(const FPoint& point, const std::vector<Pieces>& pieces);

    std::list<std::string> keys; // a key registered twice is held twice
};
