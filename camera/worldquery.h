// WorldQuery: the questions the camera asks of the world it moves in. The
// world implements them; the camera knows nothing else of it.
#pragma once

#include "scene/fpoint.h"

class WorldQuery {
public:
    // True if the point lies inside a placed object's box or outside the sky box.
    virtual bool isBlocked(const FPoint& point) = 0;
    // True if to lies inside a placed object's box that from does not lie in,
    // or outside the sky box (wherever from lies): a step from from to to
    // enters a block. A viewer can walk out of a box they stand in.
    virtual bool entersBlock(const FPoint& from, const FPoint& to) = 0;
    // True if the point's x and z lie on a placed road piece; y is not compared.
    virtual bool isOnRoad(const FPoint& point) = 0;

protected:
    ~WorldQuery() = default; // not deleted through this interface
};
