// The world model: registration rules and lookups.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <gtest/gtest.h>

namespace {

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override { testgl::makeCurrent(); }
};

TEST_F(WorldTest, MobileKeysAreNumberedByTensAndRenumberedOnReRegistration) {
    Map world;
    world.addMobileKey("car");
    world.addMobileKey("bus");
    world.addMobileKey("van");
    EXPECT_EQ(world.mobileKeys["car"], 0u);
    EXPECT_EQ(world.mobileKeys["bus"], 10u);
    EXPECT_EQ(world.mobileKeys["van"], 20u);
    world.addMobileKey("car");
    EXPECT_EQ(world.mobileKeys["car"], 30u);
    EXPECT_EQ(world.mobileKeyForName(30), "car");
    EXPECT_EQ(world.mobileKeyForName(0), ""); // nobody has 0 any more
    EXPECT_EQ(world.mobileKeyForName(7), "");
    EXPECT_TRUE(world.isMobile("bus"));
    EXPECT_FALSE(world.isMobile("tree"));
}

TEST_F(WorldTest, PlacedObjectsNeedTheirBlueprintAndAllButTheSkyBoxAreRaised) {
    Map world;
    TObject blueprint;
    auto* early = new TObject;
    world.addObject("box", "early", early); // no blueprint yet: dropped
    EXPECT_TRUE(world.objects.empty());

    world.addBlueprint("box", &blueprint);
    auto* a = new TObject;
    a->position = FPoint(1, 2, 3);
    auto* sky = new TObject;
    sky->position = FPoint(1, 2, 3);
    world.addObject("box", "a", a);
    world.addObject("box", "skybox", sky);
    EXPECT_FLOAT_EQ(world.objects["box"]["a"]->position.y, 3.0f);
    EXPECT_FLOAT_EQ(world.objects["box"]["skybox"]->position.y, 2.0f);

    auto* replacement = new TObject;
    world.addObject("box", "a", replacement);
    EXPECT_EQ(world.objects["box"]["a"], replacement);
    EXPECT_EQ(world.objects["box"].size(), 2u);
    delete a;
    delete early;
}

TEST_F(WorldTest, OnlyKeysStartingWithLowerCaseRoadJoinTheRoadTrack) {
    Map world;
    TObject piece;
    for (const char* key : {"roadFlat1", "road", "Road1", "roa", "rod", "road_flat_Z"})
        world.addBlueprint(key, &piece);
    std::vector<std::string> keys(world.roadTrack.keys.begin(), world.roadTrack.keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"roadFlat1", "road", "road_flat_Z"}));
    EXPECT_EQ(world.blueprints.size(), 6u);
    world.addBlueprint("road", &piece); // registered again: on the track twice
    EXPECT_EQ(world.roadTrack.keys.size(), 4u);
    EXPECT_EQ(world.getBlueprint("Road1"), &piece);
    EXPECT_EQ(world.getBlueprint("nothing"), nullptr);
    EXPECT_EQ(world.blueprints.count("nothing"), 0u); // a failed lookup inserts nothing
}

TEST_F(WorldTest, FindObjectTakesTheGroupWhoseBlueprintKeySortsFirst) {
    Map world;
    TObject blueprint;
    world.addBlueprint("b", &blueprint);
    world.addBlueprint("a", &blueprint);
    auto* inB = new TObject;
    auto* inA = new TObject;
    world.addObject("b", "car", inB);
    world.addObject("a", "car", inA);
    EXPECT_EQ(world.findObject("car"), inA);
    EXPECT_EQ(world.findObject("bike"), nullptr);
}

TEST_F(WorldTest, HasLightMapsDigitsToLightsAndEverythingElseToLightZero) {
    Map world;
    EXPECT_FALSE(world.hasLight(0));
    Light seven(GL_LIGHT7);
    world.addLight(&seven);
    EXPECT_TRUE(world.hasLight(7));
    EXPECT_FALSE(world.hasLight(0));
    EXPECT_FALSE(world.hasLight(8));
    Light zero(GL_LIGHT0);
    world.addLight(&zero);
    EXPECT_TRUE(world.hasLight(0));
    EXPECT_TRUE(world.hasLight(8)); // 8 and 9 test GL_LIGHT0
    EXPECT_TRUE(world.hasLight(9));
    EXPECT_FALSE(world.hasLight(3));
}

TEST_F(WorldTest, AWorldWithoutCameraGetsTheStartCamera) {
    Map world;
    testgl::StdoutCapture out;
    world.ensureCamera();
    ASSERT_NE(world.camera, nullptr);
    EXPECT_DOUBLE_EQ(world.camera->eye[2], 35.0);
    EXPECT_DOUBLE_EQ(world.camera->centre[2], 30.0);
    EXPECT_DOUBLE_EQ(world.camera->eye[1], 2.5);
    EXPECT_EQ(out.text(), "Geen camera in de map, standaardcamera op (0, 2.5, 35) \n");
    Camera* first = world.camera;
    world.ensureCamera(); // once only
    EXPECT_EQ(world.camera, first);
}

} // namespace
