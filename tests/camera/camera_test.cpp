// The camera: what one frame of each key does on foot, the collision frame
// against placed boxes, and the car frame that keeps a vehicle on a real
// road piece.
#include "camera/camera.h"
#include "scene/road.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <cmath>
#include <gtest/gtest.h>

namespace {

void press(Camera& c, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    c.keyPressed(&e);
}

void expectAt(const double* v, double x, double y, double z, const char* what = "") {
    EXPECT_NEAR(v[0], x, 1e-5) << what;
    EXPECT_NEAR(v[1], y, 1e-5) << what;
    EXPECT_NEAR(v[2], z, 1e-5) << what;
}

TEST(Camera, EachKeyMovesOrTurnsTheViewerOneStepAFrame) {
    testgl::makeCurrent();
    const double s = std::sin(0.07f), c = std::cos(0.07f);
    const struct {
        int key;
        const char* name;
        double eye[3], centre[3];
    } cases[] = {
        {Qt::Key_Z, "Z", {0, 2, 9}, {0, 2, 4}}, // a fifth of the view vector
        {Qt::Key_S, "S", {0, 2, 11}, {0, 2, 6}},
        {Qt::Key_D, "D", {1, 2, 10}, {1, 2, 5}}, // right of -z is +x
        {Qt::Key_Q, "Q", {-1, 2, 10}, {-1, 2, 5}},
        {Qt::Key_R, "R", {0, 2.5, 10}, {0, 2.5, 5}},
        {Qt::Key_F, "F", {0, 1.5, 10}, {0, 1.5, 5}},
        {Qt::Key_E, "E", {0, 2, 10}, {5 * s, 2, 10 - 5 * c}}, // turns about the eye
        {Qt::Key_A, "A", {0, 2, 10}, {-5 * s, 2, 10 - 5 * c}},
        {Qt::Key_Up, "Up", {0, 2, 10}, {0, 2, 5}}, // the arrows do nothing on foot
    };
    for (const auto& k : cases) {
        Camera camera(0, 2, 10, 0, 2, 5, 0, 1, 0);
        press(camera, k.key);
        camera.update();
        expectAt(camera.eye, k.eye[0], k.eye[1], k.eye[2], k.name);
        expectAt(camera.centre, k.centre[0], k.centre[1], k.centre[2], k.name);
    }
    glLoadIdentity();
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
        auto round = [](double v) { return std::round(v * 1e4) / 1e4; };
        return std::array<double, 3>{round(c.eye[0]), round(c.eye[1]), round(c.eye[2])};
    };
    // One unit on x and z a frame: (-2, 2, 1) is on the face x = -2, x is
    // undone and z kept; past the box's end the steps are diagonal again.
    EXPECT_EQ(walk(Camera(-3, 2, 0, 2, 2, 5, 0, 1, 0), 1), (std::array<double, 3>{-3, 2, 1}));
    EXPECT_EQ(walk(Camera(-3, 2, 0, 2, 2, 5, 0, 1, 0), 3), (std::array<double, 3>{-2, 2, 3}));
    // Each single-axis test of a diagonal step onto a corner misses the box;
    // the step as a whole hits it.
    EXPECT_EQ(walk(Camera(-3, 2, -3, 2, 2, 2, 0, 1, 0), 1), (std::array<double, 3>{-3, 2, -3}));
    EXPECT_EQ(walk(Camera(0, 2, 45, 0, 2, 50, 0, 1, 0), 8), (std::array<double, 3>{0, 2, 50}));
}

// A world with one "road_flat_Z" piece 40 long at the origin (x -4..4,
// z -20..20) and a car on it driven with Z held.
class CarFrame : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        world.addBlueprint("road_flat_Z", &roadBlueprint);
        road.scale = FPoint(40, 1, 1);
        world.addObject("road_flat_Z", "road1", &road);
        world.addBlueprint("car", &carBlueprint);
        world.setCamera(new Camera(0, 2.5, 35, 0, 2.5, 30, 0, 1, 0));
    }
    void drive(float x, float z, float heading, int frames) {
        car.position = FPoint(x, -1, z); // the height offset puts it at 0
        car.rotation = FPoint(0, heading, 0);
        world.addObject("car", "car1", &car);
        tracker = ObjectTracker(&car);
        world.camera->enterCar(&tracker);
        press(*world.camera, Qt::Key_Z);
        tracker.speed = 1;
        tracker.acceleration = 0;
        for (int i = 0; i < frames; ++i)
            world.drawFrame();
        glLoadIdentity();
    }
    Map world;
    RoadFlat roadBlueprint{1};
    TObject carBlueprint, road, car;
    ObjectTracker tracker;
};

TEST_F(CarFrame, DrivingOffTheEndIsUndoneAndBrakesAndXIsRestoredBeforeZ) {
    drive(0, 17, 0, 1); // heading 0 drives towards +z; front corners at z 19.5
    EXPECT_NEAR(tracker.position.z, 18, 1e-6);
    drive(0, 18, 0, 1); // front corners would be at 20.5
    EXPECT_NEAR(tracker.position.z, 18, 1e-6);
    EXPECT_FLOAT_EQ(tracker.acceleration, -0.1f);
    EXPECT_EQ(tracker.driveState, ObjectTracker::None);

    // At heading 45 a step is 0.707 on x and z.
    drive(0, 18, 45, 1); // off the end: x restored, still off, z restored
    EXPECT_NEAR(tracker.position.x, 0, 1e-6);
    EXPECT_NEAR(tracker.position.z, 18, 1e-6);
    drive(1.5f, 0, 45, 1); // off the side: restoring x is enough
    EXPECT_NEAR(tracker.position.x, 1.5, 1e-6);
    EXPECT_NEAR(tracker.position.z, std::sqrt(0.5), 1e-5);
}

} // namespace
