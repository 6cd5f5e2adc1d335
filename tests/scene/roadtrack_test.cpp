// RoadTrack: the point test against placed road pieces in a real world.
#include "scene/road.h"
#include "scene/roadtrack.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A world on the stack (its constructor needs the GL context) that owns the
// blueprints and placed objects the test gives it.
class RoadWorld : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        world = std::make_unique<Map>();
    }

    template <class Piece> Piece* blueprint(const std::string& key, Piece* piece) {
        owned.emplace_back(piece);
        world->addBlueprint(key, piece);
        return piece;
    }

    TObject* place(const std::string& blueprintKey, const std::string& objectKey, FPoint position,
                   float xScale = 1) {
        auto* object = new TObject;
        owned.emplace_back(object);
        object->position = position;
        object->scale.x = xScale;
        world->addObject(blueprintKey, objectKey, object);
        return object;
    }

    bool onRoad(float x, float y, float z) {
        return world->roadTrack.isOnRoad(FPoint(x, y, z), world.get());
    }

    std::vector<std::unique_ptr<TObject>> owned;
    std::unique_ptr<Map> world;
};

TEST_F(RoadWorld, AnEmptyTrackHasNoRoad) {
    EXPECT_FALSE(onRoad(0, 0, 0));
    blueprint("quad", new Quad); // not a road key
    place("quad", "floor", FPoint(0, 0, 0));
    EXPECT_FALSE(onRoad(0, 0, 0));
}

TEST_F(RoadWorld, StraightZPiecesAreMeasuredByEachInstancesLengthAndTheEdgesCount) {
    blueprint("road_flat_Z", new RoadFlat(1));
    place("road_flat_Z", "a", FPoint(0, 0, 0), 40);
    place("road_flat_Z", "b", FPoint(100, 0, 0), 10);
    EXPECT_TRUE(onRoad(3, 7, 19)); // y is never compared
    EXPECT_TRUE(onRoad(3, -50, 19));
    EXPECT_TRUE(onRoad(4, 0, 20));   // corner
    EXPECT_TRUE(onRoad(-4, 0, -20)); // opposite corner
    EXPECT_FALSE(onRoad(4.01f, 0, 0));
    EXPECT_FALSE(onRoad(0, 0, 20.01f));
    // The second instance is only 10 long.
    EXPECT_TRUE(onRoad(100, 0, 5));
    EXPECT_FALSE(onRoad(100, 0, 6));
    EXPECT_FALSE(onRoad(50, 0, 0));
}

TEST_F(RoadWorld, StraightXPiecesSwapTheAxes) {
    blueprint("road_flat_X", new RoadFlat(0));
    place("road_flat_X", "a", FPoint(10, 0, 10), 40);
    EXPECT_TRUE(onRoad(30, 0, 14));
    EXPECT_TRUE(onRoad(-10, 0, 6));
    EXPECT_FALSE(onRoad(30.5f, 0, 10));
    EXPECT_FALSE(onRoad(10, 0, 14.5f));
}

TEST_F(RoadWorld, OtherRoadKeysUseTheBlueprintsOwnSizeAroundEachInstance) {
    blueprint("roadTurn1", new RoadTurn(0));
    blueprint("roadLarge", new RoadTurnLarge(2));
    place("roadTurn1", "t", FPoint(50, 0, 50), 99); // the scale does not matter here
    place("roadLarge", "l", FPoint(-50, 0, 0));
    EXPECT_TRUE(onRoad(58, 0, 42));
    EXPECT_FALSE(onRoad(58.5f, 0, 50));
    EXPECT_TRUE(onRoad(-34, 0, 16));
    EXPECT_FALSE(onRoad(-33.5f, 0, 0));
}

TEST_F(RoadWorld, AKeyWithoutPlacedObjectsOrWithoutBlueprintIsPassedOver) {
    blueprint("roadEmpty", new RoadTurn(0));
    world->roadTrack.addRoadKey("roadGhost"); // on the track, but no blueprint
    blueprint("roadTurn", new RoadTurn(0));
    place("roadTurn", "t", FPoint(0, 0, 0));
    EXPECT_TRUE(onRoad(1, 0, 1)); // found after the two keys that contribute nothing
    EXPECT_FALSE(onRoad(20, 0, 0));
}

TEST_F(RoadWorld, AKeyRegisteredTwiceIsHeldTwiceAndTestedWithTheLaterBlueprint) {
    blueprint("roadTwice", new RoadTurn(0));
    blueprint("roadTwice", new RoadTurnLarge(0));
    ASSERT_EQ(world->roadTrack.keys.size(), 2u);
    EXPECT_EQ(world->roadTrack.keys.front(), "roadTwice");
    EXPECT_EQ(world->roadTrack.keys.back(), "roadTwice");
    place("roadTwice", "t", FPoint(0, 0, 0));
    EXPECT_TRUE(onRoad(15, 0, 15)); // inside the 32 x 32 piece, outside a 16 x 16 one
    EXPECT_FALSE(onRoad(17, 0, 0));
    world->roadTrack.clear();
    EXPECT_FALSE(onRoad(0, 0, 0));
}

} // namespace
