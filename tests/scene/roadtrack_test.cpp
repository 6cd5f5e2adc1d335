// The road track's point test against pieces it is given: straight pieces
// measured by their placement's length, the others by their blueprint.
#include "scene/roadflat.h"
#include "scene/roadtrack.h"
#include "scene/roadturn.h"

#include <gtest/gtest.h>

TEST(RoadTrack, APointIsOnTheRoadWithinAPiecesMeasureEdgesIncluded) {
    TObject alongZ, alongX, turn, flatByBlueprint;
    alongZ.scale.x = 40; // x -4..4, z -20..20
    alongX.position = FPoint(100, 0, 0);
    alongX.scale.x = 10;               // x 95..105, z -4..4
    turn.position = FPoint(0, 0, 100); // x -8..8, z 92..108
    flatByBlueprint.position = FPoint(-100, 0, 0);
    flatByBlueprint.scale.x = 30; // along z, as long as its own placement: z -15..15
    TObject box;                  // measured by its box: what any blueprint under a road key gives
    box.boxWidth = box.boxDepth = 2;
    RoadTurn turnBlueprint(RoadTurn::kSide);
    RoadFlat flatBlueprint(1);
    const std::vector<TObject*> zs{&alongZ}, xs{&alongX}, turns{&turn}, flats{&flatByBlueprint};
    const std::vector<RoadTrack::Pieces> pieces = {
        {&box, RoadTrack::FlatAlongZ, &zs},
        {&box, RoadTrack::FlatAlongX, &xs},
        {&turnBlueprint, RoadTrack::ByBlueprint, &turns},
        {&flatBlueprint, RoadTrack::ByBlueprint, &flats},
    };
    const struct {
        FPoint point;
        bool on;
    } cases[] = {
        {{4, 7, 20}, true},       {{4.01f, 0, 0}, false},  {{0, 0, -20.01f}, false},
        {{105, 0, -4}, true},     {{95, 0, 4.01f}, false}, {{8, 0, 108}, true},
        {{0, 0, 108.01f}, false}, {{-96, 0, 15}, true},    {{-100, 0, 15.01f}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RoadTrack::isOnRoad(c.point, pieces), c.on)
            << c.point.x << " " << c.point.y << " " << c.point.z;
    EXPECT_FALSE(RoadTrack::isOnRoad(FPoint(0, 0, 0), {}));
}
