// The camera's collision frames: on foot against placed boxes and the sky
// box, and in a car on a real road piece.
#include "camera/camera.h"
#include "scene/roadflat.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <cmath>
#include <gtest/gtest.h>

static void press(Camera& c, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    c.keyPressed(&e);
}

// A point to a tenth of a millimetre, to compare with decimal expectations.
static std::array<double, 3> at(const double* v) {
    return {std::round(v[0] * 1e4) / 1e4, std::round(v[1] * 1e4) / 1e4,
            std::round(v[2] * 1e4) / 1e4};
}

TEST(Camera, AMoveIntoABoxSlidesAlongItsFaceOntoACornerIsRefusedAndTheSkyBoxHolds) {
    testgl::makeCurrent();
    Map world;
    TObject box, sky, placed, sky1;
    box.boxWidth = box.boxHeight = box.boxDepth = 4;
    sky.boxWidth = sky.boxHeight = sky.boxDepth = 100;
    world.addBlueprint("box", &box);
    world.addBlueprint("skybox", &sky);
    world.addObject("box", "b", &placed);       // raised 1: x -2..2, y -1..3, z -2..2
    world.addObject("skybox", "skybox", &sky1); // x -50..50, y 0..100, z -50..50 wherever it stands
    auto walk = [&](Camera c, int frames) {
        press(c, Qt::Key_Z);
        for (int i = 0; i < frames; ++i)
            c.footFrame(&world);
        glLoadIdentity();
        return at(c.eye);
    };
    // One unit on x and z a frame: (-2, 2, 1) is on the face x = -2, x is
    // undone and z kept; past the box's end the steps are diagonal again.
    EXPECT_EQ(walk(Camera(-3, 2, 0, 2, 2, 5, 0, 1, 0), 1), (std::array<double, 3>{-3, 2, 1}));
    EXPECT_EQ(walk(Camera(-3, 2, 0, 2, 2, 5, 0, 1, 0), 3), (std::array<double, 3>{-2, 2, 3}));
    // Each single-axis test of a diagonal step onto a corner misses the box;
    // the step as a whole hits it.
    EXPECT_EQ(walk(Camera(-3, 2, -3, 2, 2, 2, 0, 1, 0), 1), (std::array<double, 3>{-3, 2, -3}));
    EXPECT_EQ(walk(Camera(0, 2, 45, 0, 2, 50, 0, 1, 0), 8), (std::array<double, 3>{0, 2, 50}));
    // A box placed after those walks, z 46..50 on the last one's way, stops it.
    TObject later;
    later.position = FPoint(0, 0, 48);
    world.addObject("box", "c", &later);
    EXPECT_EQ(walk(Camera(0, 2, 45, 0, 2, 50, 0, 1, 0), 8), (std::array<double, 3>{0, 2, 45}));
}

// A car on one "road_flat_Z" piece 40 long at the origin (x -4..4, z -20..20)
// driven with Z held: a step off the road is undone, x before z, and brakes.
TEST(Camera, TheCarFrameKeepsTheCarOnTheRoad) {
    testgl::makeCurrent();
    Map world;
    RoadFlat roadBlueprint(1);
    TObject carBlueprint, road, car;
    world.addBlueprint("road_flat_Z", &roadBlueprint);
    road.scale = FPoint(40, 1, 1);
    world.addObject("road_flat_Z", "road1", &road);
    world.addBlueprint("car", &carBlueprint);
    world.setCamera(new Camera(0, 2.5, 35, 0, 2.5, 30, 0, 1, 0));
    ObjectTracker tracker;
    // The car's place after a frame from (x, z) at heading (degrees, 0 drives towards +z).
    auto drive = [&](float x, float z, float heading) {
        car.position = FPoint(x, -1, z); // the height offset puts it at 0
        car.rotation = FPoint(0, heading, 0);
        world.addObject("car", "car1", &car);
        tracker = ObjectTracker(&car);
        world.camera->enterCar(&tracker);
        press(*world.camera, Qt::Key_Z);
        tracker.speed = 1;
        tracker.acceleration = 0;
        world.step();
        return std::make_pair(std::round(tracker.position.x * 1e4) / 1e4,
                              std::round(tracker.position.z * 1e4) / 1e4);
    };
    EXPECT_EQ(drive(0, 17, 0), std::make_pair(0.0, 18.0)); // front corners at z 19.5
    EXPECT_EQ(drive(0, 18, 0), std::make_pair(0.0, 18.0)); // they would be at 20.5
    EXPECT_FLOAT_EQ(tracker.acceleration, -0.1f);
    EXPECT_EQ(tracker.driveState, ObjectTracker::None);
    // At heading 45 a step is 0.707 on x and z.
    EXPECT_EQ(drive(0, 18, 45), std::make_pair(0.0, 18.0));     // x restored, still off: z too
    EXPECT_EQ(drive(1.5f, 0, 45), std::make_pair(1.5, 0.7071)); // restoring x is enough
}
