// Driving: the tracker's speed ramp, steering and footprint, the follow
// views, and the car frame that keeps a vehicle on a real road piece.
#include "camera/camera.h"
#include "camera/objecttracker.h"
#include "scene/road.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

void key(Camera& c, QEvent::Type type, int code) {
    QKeyEvent e(type, code, Qt::NoModifier);
    type == QEvent::KeyPress ? c.keyPressed(&e) : c.keyReleased(&e);
}

// Runs frames of the camera's update on an identity model-view matrix.
void drive(Camera& c, int frames) {
    testgl::makeCurrent();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        for (int i = 0; i < frames; ++i) {
            glLoadIdentity();
            c.update();
        }
    glPopMatrix();
}

// A camera in car mode driving a placed object.
struct Driving {
    explicit Driving(float x = 0, float z = 0, float heading = 0, float speed = 0) {
        object.position = FPoint(x, 0, z);
        object.rotation = FPoint(0, heading, 0);
        tracker = ObjectTracker(&object);
        tracker.speed = speed;
        camera.enterCar(&tracker);
    }
    TObject object;
    ObjectTracker tracker;
    Camera camera{0, 0, 0, 0, 0, -1, 0, 1, 0};
};

} // namespace

TEST(ObjectTracker, CopiesThePlacementOfItsObjectAndWritesItBack) {
    TObject o;
    o.position = FPoint(1, 2, 3);
    o.rotation = FPoint(0, 45, 0);
    o.scale = FPoint(2, 2, 2);
    ObjectTracker t(&o);
    EXPECT_FLOAT_EQ(t.position.z, 3);
    EXPECT_FLOAT_EQ(t.rotation.y, 45);
    EXPECT_FLOAT_EQ(t.scale.x, 1);
    t.position.x = 7;
    t.rotation.y = 50;
    t.writeBack();
    EXPECT_FLOAT_EQ(o.position.x, 7);
    EXPECT_FLOAT_EQ(o.rotation.y, 50);
    EXPECT_FLOAT_EQ(o.scale.x, 2);
    ObjectTracker().writeBack(); // no object: nothing to write
}

TEST(ObjectTracker, ZRampsTheSpeedUpPastTheLimitForOneFrameAndReleasingRunsItDown) {
    Driving d;
    key(d.camera, QEvent::KeyPress, Qt::Key_Z);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::Forward);
    std::vector<float> speeds;
    for (int i = 0; i < 60; ++i) {
        drive(d.camera, 1);
        speeds.push_back(d.tracker.speed);
    }
    EXPECT_NEAR(speeds[0], 0.1f, 1e-6);
    EXPECT_NEAR(speeds[9], 1.0f, 1e-5);
    int overshoots = 0;
    for (size_t i = 0; i + 1 < speeds.size(); ++i) {
        EXPECT_LE(speeds[i], 3.1f + 1e-5f);
        if (speeds[i] > 3.0f) {
            ++overshoots;
            EXPECT_EQ(speeds[i + 1], 3.0f) << "frame " << i + 1;
        }
    }
    EXPECT_GE(overshoots, 1);

    d.tracker.speed = 3.0f;
    key(d.camera, QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_FLOAT_EQ(d.tracker.acceleration, -0.1f);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::None);
    drive(d.camera, 29);
    EXPECT_NEAR(d.tracker.speed, 0.1f, 1e-5);
    drive(d.camera, 1);
    const float rest = d.tracker.speed;
    EXPECT_NEAR(rest, 0.0f, 0.05f);
    drive(d.camera, 10);
    EXPECT_EQ(d.tracker.speed, rest);
    EXPECT_EQ(d.tracker.acceleration, 0.0f);
}

TEST(ObjectTracker, SteeringTurnsOnlyAMovingVehicle) {
    Driving d(0, 0, 10);
    key(d.camera, QEvent::KeyPress, Qt::Key_Q);
    drive(d.camera, 3);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 10);
    d.tracker.speed = 0.05f; // the edge of standing still counts as moving
    drive(d.camera, 1);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 16);
    EXPECT_FLOAT_EQ(d.object.rotation.y, 16);
    key(d.camera, QEvent::KeyPress, Qt::Key_D);
    d.tracker.speed = -1;
    drive(d.camera, 2);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 4);
    key(d.camera, QEvent::KeyRelease, Qt::Key_D);
    EXPECT_EQ(d.tracker.turnRate, 0.0f);
}

TEST(ObjectTracker, HeadingZeroDrivesTowardPlusZAndNinetyTowardPlusX) {
    Driving north(1, 2, 0, 1);
    drive(north.camera, 1);
    EXPECT_NEAR(north.tracker.position.x, 1, 1e-6);
    EXPECT_NEAR(north.tracker.position.z, 3, 1e-6);
    EXPECT_NEAR(north.object.position.z, 3, 1e-6);
    Driving east(1, 2, 90, 1);
    drive(east.camera, 2);
    EXPECT_NEAR(east.tracker.position.x, 3, 1e-6);
    EXPECT_NEAR(east.tracker.position.z, 2, 1e-6);
}

TEST(ObjectTracker, FootprintCornersFollowTheTable) {
    const float along[4][2] = {{-0.5f, 1.5f}, {0.5f, 1.5f}, {0.5f, -1.5f}, {-0.5f, -1.5f}};
    const float across[4][2] = {{1.5f, 0.5f}, {-0.5f, -0.5f}, {-1.5f, -0.5f}, {0.5f, 0.5f}};
    const struct {
        float heading;
        const float (*corners)[2];
    } cases[] = {{0, along},    {180, along},   {90, across},
                 {-90, across}, {270, across},  {720, along},
                 {450, across}, {-630, across}, {-900, along}}; // full turns fold away
    for (const auto& k : cases) {
        ObjectTracker t;
        t.position = FPoint(10, 7, -4);
        t.rotation.y = k.heading;
        float c[4][2];
        t.footprint(c);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(c[i][0], 10 + k.corners[i][0], 5e-4) << k.heading << " corner " << i + 1;
            EXPECT_NEAR(c[i][1], -4 + k.corners[i][1], 5e-4) << k.heading << " corner " << i + 1;
        }
    }
}

TEST(ObjectTracker, TheFourViewsFollowTheVehicle) {
    // A vehicle at (2, 1, 3) facing +z: ahead is +z, behind is -z.
    const double eyes[4][3] = {{2, 1.2, 8}, {2, 3, -7}, {2, 21, -7}, {2, 51, -7}};
    for (int mode = 0; mode < 4; ++mode) {
        Driving d(2, 3, 0);
        d.tracker.position.y = 1;
        d.camera.viewMode = mode;
        double m[16];
        glPushMatrix();
            glLoadIdentity();
            d.camera.update();
            glGetDoublev(GL_MODELVIEW_MATRIX, m);
        glPopMatrix();
        const double centreZ = mode == 0 ? 13 : 3;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(d.camera.eye[i], eyes[mode][i], 1e-6) << "mode " << mode;
        EXPECT_NEAR(d.camera.centre[1], 1, 1e-6);
        EXPECT_NEAR(d.camera.centre[2], centreZ, 1e-6);
        // The view sent to GL looks along +z: its third row is minus that.
        EXPECT_LT(m[10], -0.1) << "mode " << mode;
        EXPECT_NEAR(m[2], 0, 1e-6) << "mode " << mode;
    }

    Driving east(0, 0, 90); // behind a vehicle facing +x is -x
    east.camera.viewMode = 3;
    drive(east.camera, 1);
    EXPECT_NEAR(east.camera.eye[0], -10, 1e-6);
    EXPECT_NEAR(east.camera.eye[1], 50, 1e-6);
    key(east.camera, QEvent::KeyRelease, Qt::Key_Tab);
    EXPECT_EQ(east.camera.viewMode, 0);
    drive(east.camera, 1);
    EXPECT_NEAR(east.camera.eye[0], 5, 1e-6);
    EXPECT_NEAR(east.camera.centre[0], 10, 1e-6);
}

namespace {

// A world with one "road_flat_Z" piece 40 long centred at the origin: x from
// -4 to 4, z from -20 to 20.
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

    // Places a car and drives it with Z held at the given speed.
    ObjectTracker* driveCar(float x, float z, float heading, float speed) {
        car.position = FPoint(x, -1, z); // the height offset puts it at 0
        car.rotation = FPoint(0, heading, 0);
        world.addObject("car", "car1", &car);
        tracker = ObjectTracker(&car);
        world.camera->enterCar(&tracker);
        key(*world.camera, QEvent::KeyPress, Qt::Key_Z);
        tracker.speed = speed;
        tracker.acceleration = 0;
        return &tracker;
    }

    void frames(int n) {
        glPushMatrix();
            for (int i = 0; i < n; ++i) {
                glLoadIdentity();
                world.drawFrame();
            }
        glPopMatrix();
    }

    Map world;
    RoadFlat roadBlueprint{1};
    TObject carBlueprint;
    TObject road;
    TObject car;
    ObjectTracker tracker;
};

} // namespace

TEST_F(CarFrame, DrivingStraightOffTheEndIsUndoneAndBrakes) {
    ObjectTracker* t = driveCar(0, 17, 0, 1);
    frames(1); // front corners at z 19.5: on the piece
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    EXPECT_NEAR(world.snapshotTracker.position.z, 17, 1e-6);
    EXPECT_EQ(t->driveState, ObjectTracker::Forward);
    frames(1); // front corners would be at 20.5
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    EXPECT_FLOAT_EQ(t->acceleration, -0.1f);
    EXPECT_EQ(t->driveState, ObjectTracker::None);
    EXPECT_EQ(world.camera->forwardStep, 0.0f);
    // The object got the unchecked place; the next frame writes the corrected one.
    EXPECT_NEAR(car.position.z, 19, 1e-6);
    frames(20);
    EXPECT_NEAR(t->speed, 0, 0.05f);
    EXPECT_TRUE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
}

TEST_F(CarFrame, XIsRestoredFirstAndZOnlyIfStillOffTheRoad) {
    // At heading 45 a step moves 0.707 on x and z; the footprint reaches
    // 2.121 on x and 1.414 on z (corner 2 at +x, corner 4 at -x).
    ObjectTracker* t = driveCar(0, 18, 45, 1);
    frames(1); // off the end: x restored, still off, z restored
    EXPECT_NEAR(t->position.x, 0, 1e-6);
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    EXPECT_FLOAT_EQ(t->rotation.y, 45); // the heading is not restored

    t = driveCar(1.5f, 0, 45, 1);
    frames(1); // off the side: restoring x is enough
    EXPECT_NEAR(t->position.x, 1.5, 1e-6);
    EXPECT_NEAR(t->position.z, std::sqrt(0.5), 1e-5);
    EXPECT_FLOAT_EQ(t->acceleration, -0.1f);

    t = driveCar(-1.5f, 0, 45, -1);
    frames(1); // reversing: corner 4 alone leaves the side
    EXPECT_NEAR(t->position.x, -1.5, 1e-6);
    EXPECT_NEAR(t->position.z, -std::sqrt(0.5), 1e-5);
}

TEST_F(CarFrame, WithCollisionsOffTheCarLeavesTheRoad) {
    ObjectTracker* t = driveCar(0, 18, 0, 1);
    world.collisionOn = false;
    frames(5);
    EXPECT_NEAR(t->position.z, 23, 1e-5);
    EXPECT_NEAR(car.position.z, 23, 1e-5);
    EXPECT_FALSE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
    EXPECT_EQ(t->driveState, ObjectTracker::Forward);
}
