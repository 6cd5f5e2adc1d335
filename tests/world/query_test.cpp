// The world's answers to the camera: placed boxes and the sky box block,
// road pieces carry, and objects added later count from then on; a viewer
// walks out of a box they stand in, and turns in it.
#include "scene/roadflat.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <QKeyEvent>
#include <cmath>
#include <gtest/gtest.h>

TEST(World, PlacedBoxesAndTheSkyBoxBlockAndRoadPiecesCarry) {
    TextureFactory store;
    Map world(store);
    // An object or blueprint at (x, y, z) of that length and box, the world's to free.
    auto placed = [&](float x, float y, float z, float length = 1, float box = 0) {
        auto* object = new TObject;
        world.own(object);
        object->position = FPoint(x, y, z);
        object->scale.x = length;
        object->boxWidth = object->boxHeight = object->boxDepth = box;
        return object;
    };
    RoadFlat alongZ(1), alongX(0);
    world.addBlueprint("box", placed(0, 0, 0, 1, 4));
    world.addBlueprint("skybox", placed(0, 0, 0, 1, 100));
    world.addBlueprint("road_flat_Z", &alongZ);
    world.addBlueprint("roadSide", &alongX);      // measured by its blueprint: along x
    world.addObject("box", "b", placed(0, 0, 0)); // raised 1: x -2..2, y -1..3, z -2..2
    // x -50..50, y 0..100, z -50..50 wherever it stands.
    world.addObject("skybox", "skybox", placed(30, 30, 30));
    world.addObject("road_flat_Z", "r", placed(20, -1, 0, 40)); // x 16..24, z -20..20
    world.addObject("roadSide", "s", placed(0, -1, 30, 10));    // x -5..5, z 26..34
    const struct {
        FPoint point;
        bool blocked, onRoad;
    } cases[] = {
        {{2, 3, -2}, true, false},      {{2.01f, 0, 0}, false, false},
        {{0, 3.01f, 0}, false, false},  {{49, 99, 49}, false, false},
        {{50.01f, 50, 0}, true, false}, {{0, -0.01f, 0}, true, false},
        {{24, 2, 20}, false, true},     {{24.01f, 2, 0}, false, false},
        {{5, 2, 34}, false, true},      {{5.01f, 2, 34}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(world.isBlocked(c.point), c.blocked)
            << c.point.x << " " << c.point.y << " " << c.point.z;
        EXPECT_EQ(world.isOnRoad(c.point), c.onRoad)
            << c.point.x << " " << c.point.y << " " << c.point.z;
    }
    // Added after the first questions: the next ones see it.
    world.addObject("box", "c", placed(0, -1, 30));
    EXPECT_TRUE(world.isBlocked(FPoint(0, 2, 30)));
}

// Two blueprints each place a car under the same object key; the driven one
// is the second. A reload drives on that very car (its two keys), not the
// first object of the key, and every object keeps its handle, a replaced one
// included, with the place the map gave it.
TEST(World, AReloadDrivesOnTheCarOfTheSameBlueprintAndKey) {
    TextureFactory store;
    auto build = [](Map& world) {
        for (const char* blueprint : {"a", "b"}) {
            auto* shape = new TObject;
            shape->boxWidth = shape->boxHeight = shape->boxDepth = 1;
            world.own(shape);
            world.addBlueprint(blueprint, shape);
        }
        std::vector<TObject*> cars;
        for (const char* blueprint : {"a", "b", "b"}) {
            auto* car = new TObject;
            world.own(car);
            car->position = FPoint(float(cars.size()) * 10, 0, 0);
            EXPECT_EQ(world.addObject(blueprint, "car", car,
                                      {"maps/m.xml", int(cars.size()) + 1, 3}),
                      cars.size());
            cars.push_back(car);
        }
        world.addMobileKey("car");
        return cars;
    };
    Map old(store);
    const std::vector<TObject*> oldCars = build(old);
    EXPECT_EQ(old.objectCount(), 3u);
    EXPECT_TRUE(old.placedObject(1).replaced); // b/car placed again
    EXPECT_EQ(old.idOf(oldCars[1]), Map::kNoObject);
    EXPECT_EQ(old.idOf(oldCars[2]), 2u);
    EXPECT_EQ(old.placedObject(2).source.line, 3);
    EXPECT_EQ(old.findObject("car"), oldCars[0]); // the key alone: the first group's
    old.camera().enterCar(oldCars[2]);

    Map fresh(store);
    const std::vector<TObject*> freshCars = build(fresh);
    fresh.takeViewerFrom(old);
    ASSERT_TRUE(fresh.camera().isInCar());
    EXPECT_EQ(fresh.camera().tracker.object, freshCars[2]);
}

// Boxes b (x -2..2, y -1..3, z -2..2) and c (x 2.5..6.5) side by side, inside
// a sky box (x and z -50..50). Walking a fifth of the way to the centre a
// frame (Z), turning 0.07 radians a frame (E).
TEST(World, AViewerInABoxWalksOutAndTurnsAndABlockedStepKeepsTheTurn) {
    TextureFactory store;
    Map world(store);
    auto placed = [&](float x, float box) {
        auto* object = new TObject;
        world.own(object);
        object->position = FPoint(x, 0, 0);
        object->boxWidth = object->boxHeight = object->boxDepth = box;
        return object;
    };
    world.addBlueprint("box", placed(0, 4));
    world.addBlueprint("skybox", placed(0, 100));
    world.addObject("box", "b", placed(0, 0));
    world.addObject("box", "c", placed(4.5f, 0));
    world.addObject("skybox", "skybox", placed(0, 0));
    const float s = std::sin(0.07f), c = std::cos(0.07f);
    const struct {
        const char* what;
        double from[6]; // eye, centre
        std::vector<int> keys;
        int frames;
        double eye[3], centre[3];
    } cases[] = {
        // Frozen in b once: every end point of a step was blocked.
        {"walks out of b", {0, 2, 0, 0, 2, -5}, {Qt::Key_Z}, 3, {0, 2, -3}, {0, 2, -8}},
        {"turns in b", {0, 2, 0, 0, 2, -5}, {Qt::Key_E}, 1, {0, 2, 0}, {5 * s, 2, -5 * c}},
        // From b into c is a box not stood in: undone on x.
        {"stops at c", {1.5, 2, 0, 6.5, 2, 0}, {Qt::Key_Z}, 1, {1.5, 2, 0}, {6.5, 2, 0}},
        // The step onto b's face is undone, the centre shifted back with the
        // eye: the turn of the same frame stays.
        {"keeps the turn",
         {-3, 2, 0, 2, 2, 0},
         {Qt::Key_Z, Qt::Key_E},
         1,
         {-3, 2, 0},
         {-3 + 5 * c, 2, 5 * s}},
        // Outside the sky box nobody walks.
        {"outside the sky box", {60, 2, 0, 55, 2, 0}, {Qt::Key_Z}, 1, {60, 2, 0}, {55, 2, 0}},
    };
    for (const auto& t : cases) {
        world.setCamera(
            Camera(t.from[0], t.from[1], t.from[2], t.from[3], t.from[4], t.from[5], 0, 1, 0));
        for (int key : t.keys) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            world.camera().keyPressed(&press);
        }
        for (int i = 0; i < t.frames; ++i)
            world.step();
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(world.camera().eye[i], t.eye[i], 1e-4) << t.what << " eye " << i;
            EXPECT_NEAR(world.camera().centre[i], t.centre[i], 1e-4) << t.what << " centre " << i;
        }
    }
}
