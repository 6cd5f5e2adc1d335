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
#include <memory>
#include <vector>

namespace {

void press(Camera& c, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    c.keyPressed(&e);
}

void release(Camera& c, int key) {
    QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
    c.keyReleased(&e);
}

// Runs frames of the car step under a pushed model-view matrix.
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
    explicit Driving(float x = 0, float z = 0, float heading = 0) {
        object.position = FPoint(x, 0, z);
        object.rotation = FPoint(0, heading, 0);
        tracker = ObjectTracker(&object);
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
    EXPECT_FLOAT_EQ(t.maxSpeed, 3.0f);
    EXPECT_EQ(t.driveState, ObjectTracker::None);

    t.position.x = 7;
    t.rotation.y = 50;
    t.writeBack();
    EXPECT_FLOAT_EQ(o.position.x, 7);
    EXPECT_FLOAT_EQ(o.rotation.y, 50);
    EXPECT_FLOAT_EQ(o.scale.x, 2);

    ObjectTracker none; // no object: nothing to copy or write
    none.position.x = 4;
    none.writeBack();
    EXPECT_FLOAT_EQ(none.rotation.y, 0);
}

TEST(ObjectTracker, HoldingZRampsUpOvershootsForOneFrameAndIsClamped) {
    Driving d;
    press(d.camera, Qt::Key_Z);
    EXPECT_FLOAT_EQ(d.tracker.acceleration, 0.1f);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::Forward);
    EXPECT_FLOAT_EQ(d.camera.forwardStep, 0.2f);

    std::vector<float> speeds;
    for (int i = 0; i < 60; ++i) {
        drive(d.camera, 1);
        speeds.push_back(d.tracker.speed);
    }
    EXPECT_NEAR(speeds[0], 0.1f, 1e-6);
    EXPECT_NEAR(speeds[1], 0.2f, 1e-6);
    EXPECT_NEAR(speeds[9], 1.0f, 1e-5);
    int overshoots = 0;
    for (size_t i = 0; i < speeds.size(); ++i) {
        EXPECT_LE(speeds[i], 3.1f + 1e-5f);
        if (speeds[i] > 3.0f) {
            ++overshoots;
            ASSERT_LT(i + 1, speeds.size());
            EXPECT_EQ(speeds[i + 1], 3.0f) << "frame " << i + 1;
        }
    }
    EXPECT_GE(overshoots, 1); // the limit is passed, then clamped, repeatedly
    EXPECT_NEAR(speeds.back(), 3.0f, 0.1f + 1e-5f);
}

TEST(ObjectTracker, ReleasingZRunsTheSpeedDownToRest) {
    Driving d;
    d.tracker.speed = 3.0f;
    press(d.camera, Qt::Key_Z);
    release(d.camera, Qt::Key_Z);
    EXPECT_FLOAT_EQ(d.tracker.acceleration, -0.1f);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::None);
    EXPECT_EQ(d.camera.forwardStep, 0.0f);

    drive(d.camera, 1);
    EXPECT_NEAR(d.tracker.speed, 2.9f, 1e-5);
    drive(d.camera, 28);
    EXPECT_NEAR(d.tracker.speed, 0.1f, 1e-5);
    drive(d.camera, 1);
    EXPECT_NEAR(d.tracker.speed, 0.0f, 0.05f);
    const float rest = d.tracker.speed;
    drive(d.camera, 10);
    EXPECT_EQ(d.tracker.speed, rest);
    EXPECT_EQ(d.tracker.acceleration, 0.0f);
}

TEST(ObjectTracker, ReleasingSRunsAReversingCarDownToRest) {
    Driving d;
    press(d.camera, Qt::Key_S);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::Backward);
    drive(d.camera, 5);
    EXPECT_NEAR(d.tracker.speed, -0.5f, 1e-5);
    release(d.camera, Qt::Key_S);
    EXPECT_FLOAT_EQ(d.tracker.acceleration, 0.1f);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::None);
    drive(d.camera, 20);
    EXPECT_NEAR(d.tracker.speed, 0.0f, 0.05f);
    EXPECT_EQ(d.tracker.acceleration, 0.0f);
}

TEST(ObjectTracker, SteeringTurnsOnlyAMovingVehicle) {
    Driving d(0, 0, 10);
    press(d.camera, Qt::Key_Q);
    EXPECT_FLOAT_EQ(d.tracker.turnRate, 6.0f);
    drive(d.camera, 3);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 10);
    EXPECT_FLOAT_EQ(d.object.rotation.y, 10);

    d.tracker.speed = 0.05f; // the edge of standing still counts as moving
    drive(d.camera, 1);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 16);
    release(d.camera, Qt::Key_Q);
    press(d.camera, Qt::Key_D);
    d.tracker.speed = -1;
    drive(d.camera, 2);
    EXPECT_FLOAT_EQ(d.tracker.rotation.y, 4);
    release(d.camera, Qt::Key_D);
    EXPECT_EQ(d.tracker.turnRate, 0.0f);
}

TEST(ObjectTracker, HeadingZeroDrivesTowardPlusZAndNinetyTowardPlusX) {
    Driving north(1, 2, 0);
    north.tracker.speed = 1;
    north.tracker.driveState = ObjectTracker::Forward;
    drive(north.camera, 1);
    EXPECT_NEAR(north.tracker.position.x, 1, 1e-6);
    EXPECT_NEAR(north.tracker.position.z, 3, 1e-6);
    EXPECT_NEAR(north.object.position.z, 3, 1e-6); // written back

    Driving east(1, 2, 90);
    east.tracker.speed = 1;
    east.tracker.driveState = ObjectTracker::Forward;
    drive(east.camera, 2);
    EXPECT_NEAR(east.tracker.position.x, 3, 1e-6);
    EXPECT_NEAR(east.tracker.position.z, 2, 1e-6);

    Driving back(0, 0, 180);
    back.tracker.speed = 2;
    back.tracker.driveState = ObjectTracker::Forward;
    drive(back.camera, 1);
    EXPECT_NEAR(back.tracker.position.z, -2, 1e-6);
}

TEST(ObjectTracker, FootprintCornersFollowTheTable) {
    struct Case {
        float heading;
        float corners[4][2];
    };
    const Case cases[] = {
        {0, {{-0.5f, 1.5f}, {0.5f, 1.5f}, {0.5f, -1.5f}, {-0.5f, -1.5f}}},
        {180, {{-0.5f, 1.5f}, {0.5f, 1.5f}, {0.5f, -1.5f}, {-0.5f, -1.5f}}},
        {90, {{1.5f, 0.5f}, {-0.5f, -0.5f}, {-1.5f, -0.5f}, {0.5f, 0.5f}}},
        {-90, {{1.5f, 0.5f}, {-0.5f, -0.5f}, {-1.5f, -0.5f}, {0.5f, 0.5f}}},
        {270, {{1.5f, 0.5f}, {-0.5f, -0.5f}, {-1.5f, -0.5f}, {0.5f, 0.5f}}},
    };
    for (const Case& k : cases) {
        ObjectTracker t;
        t.rotation.y = k.heading;
        float c[4][2];
        t.footprint(c);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(c[i][0], k.corners[i][0], 5e-4)
                << "heading " << k.heading << " corner " << i + 1;
            EXPECT_NEAR(c[i][1], k.corners[i][1], 5e-4)
                << "heading " << k.heading << " corner " << i + 1;
        }
    }
    ObjectTracker moved;
    moved.position = FPoint(10, 7, -4);
    float c[4][2];
    moved.footprint(c);
    EXPECT_NEAR(c[0][0], 9.5f, 5e-4);
    EXPECT_NEAR(c[0][1], -2.5f, 5e-4);
    EXPECT_NEAR(c[2][0], 10.5f, 5e-4);
    EXPECT_NEAR(c[2][1], -5.5f, 5e-4);
}

TEST(ObjectTracker, TheFourViewsFollowTheVehicle) {
    struct View {
        double eye[3];
        double centre[3];
    };
    // A vehicle at (2, 1, 3) facing +z: "ahead" is +z, "behind" is -z.
    const View views[4] = {
        {{2, 1.2, 8}, {2, 1, 13}},
        {{2, 3, -7}, {2, 1, 3}},
        {{2, 21, -7}, {2, 1, 3}},
        {{2, 51, -7}, {2, 1, 3}},
    };
    for (int mode = 0; mode < 4; ++mode) {
        Driving d(2, 3, 0);
        d.object.position.y = 1;
        d.tracker.position.y = 1;
        d.camera.viewMode = mode;
        testgl::makeCurrent();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            d.camera.update();
            double m[16];
            glGetDoublev(GL_MODELVIEW_MATRIX, m);
        glPopMatrix();
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(d.camera.eye[i], views[mode].eye[i], 1e-6) << "mode " << mode;
            EXPECT_NEAR(d.camera.centre[i], views[mode].centre[i], 1e-6) << "mode " << mode;
        }
        EXPECT_EQ(d.camera.up[1], 1.0);
        // The view sent to GL looks along +z (third row is minus the view direction).
        EXPECT_LT(m[10], -0.1) << "mode " << mode;
        EXPECT_NEAR(m[2], 0, 1e-6) << "mode " << mode;
    }

    Driving east(0, 0, 90); // behind a vehicle facing +x is -x
    east.camera.viewMode = 3;
    drive(east.camera, 1);
    EXPECT_NEAR(east.camera.eye[0], -10, 1e-6);
    EXPECT_NEAR(east.camera.eye[1], 50, 1e-6);
    EXPECT_NEAR(east.camera.eye[2], 0, 1e-6);

    release(east.camera, Qt::Key_Tab);
    EXPECT_EQ(east.camera.viewMode, 0);
    drive(east.camera, 1);
    EXPECT_NEAR(east.camera.eye[0], 5, 1e-6);
    EXPECT_NEAR(east.camera.centre[0], 10, 1e-6);
}

TEST(ObjectTracker, CarKeysOnFootLeaveTheTrackerAlone) {
    Driving d;
    d.camera.leaveCar();
    d.camera.tracker = &d.tracker; // a stale pointer must not be driven on foot
    press(d.camera, Qt::Key_Z);
    press(d.camera, Qt::Key_Q);
    EXPECT_EQ(d.tracker.acceleration, 0.0f);
    EXPECT_EQ(d.tracker.turnRate, 0.0f);
    EXPECT_EQ(d.tracker.driveState, ObjectTracker::None);
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

    // Places a car, enters it and sets it moving at speed.
    ObjectTracker* driveCar(float x, float z, float heading, float speed) {
        car.position = FPoint(x, -1, z); // the height offset puts it at 0
        car.rotation = FPoint(0, heading, 0);
        world.addObject("car", "car1", &car);
        world.addMobileKey("car1");
        auto* t = new ObjectTracker(&car);
        trackers.emplace_back(t);
        world.camera->enterCar(t);
        press(*world.camera, Qt::Key_Z);
        t->speed = speed;
        t->acceleration = 0;
        return t;
    }

    void carFrame() {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            world.camera->carFrame(&world);
        glPopMatrix();
    }

    Map world;
    RoadFlat roadBlueprint{1};
    TObject carBlueprint;
    TObject road;
    TObject car;
    std::vector<std::unique_ptr<ObjectTracker>> trackers;
};

} // namespace

TEST_F(CarFrame, OnTheRoadTheCarDrivesOn) {
    ObjectTracker* t = driveCar(0, 0, 0, 1);
    EXPECT_TRUE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
    carFrame();
    EXPECT_NEAR(t->position.z, 1, 1e-6);
    EXPECT_NEAR(world.snapshotTracker.position.z, 0, 1e-6);
    EXPECT_EQ(t->driveState, ObjectTracker::Forward);
    EXPECT_FLOAT_EQ(world.camera->forwardStep, 0.2f);
}

TEST_F(CarFrame, DrivingOffTheEndRestoresXThenZAndBrakes) {
    // Heading 45 moves on x and z; the front corner leaves the piece's end.
    ObjectTracker* t = driveCar(0, 18, 45, 1);
    carFrame();
    EXPECT_NEAR(t->position.x, 0, 1e-6);
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    EXPECT_FLOAT_EQ(t->rotation.y, 45); // the heading is not restored
    EXPECT_FLOAT_EQ(t->acceleration, -0.1f);
    EXPECT_EQ(t->driveState, ObjectTracker::None);
    EXPECT_EQ(world.camera->forwardStep, 0.0f);
    // The object got the unchecked place; the next frame writes the corrected one.
    EXPECT_NEAR(car.position.z, 18 + std::sqrt(0.5), 1e-5);

    // Braking: the speed runs down and the car never leaves the piece.
    for (int i = 0; i < 20; ++i) {
        carFrame();
        EXPECT_TRUE(Camera::isCarOnRoad(*t, world.roadTrack, &world)) << "frame " << i;
    }
    EXPECT_NEAR(t->speed, 0, 0.05f);
}

TEST_F(CarFrame, DrivingOffTheSideRestoresOnlyX) {
    // The footprint at heading 45 reaches 2.121 on x: one step from x 1.5
    // passes the side at x 4, while z may still change.
    ObjectTracker* t = driveCar(1.5f, 0, 45, 1);
    carFrame();
    EXPECT_NEAR(t->position.x, 1.5, 1e-6);
    EXPECT_NEAR(t->position.z, std::sqrt(0.5), 1e-5);
    EXPECT_TRUE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
    EXPECT_FLOAT_EQ(t->acceleration, -0.1f);
}

TEST_F(CarFrame, ReversingOffTheSideIsCaughtByCornerFour) {
    // At heading 45 corner 4 alone reaches 2.121 toward -x.
    ObjectTracker* t = driveCar(-1.5f, 0, 45, -1);
    carFrame();
    EXPECT_NEAR(t->position.x, -1.5, 1e-6);
    EXPECT_NEAR(t->position.z, -std::sqrt(0.5), 1e-5);
    EXPECT_TRUE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
}

TEST_F(CarFrame, DrivingStraightOffARoadFlatZPiece) {
    ObjectTracker* t = driveCar(0, 17, 0, 1);
    carFrame(); // front corners at z 19.5: on the piece
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    carFrame(); // front corners would be at 20.5
    EXPECT_NEAR(t->position.z, 18, 1e-6);
    EXPECT_EQ(t->driveState, ObjectTracker::None);
}

TEST_F(CarFrame, ReleasingTheBrakeAtRestLeavesTheCarStanding) {
    ObjectTracker* t = driveCar(0, 18.5f, 0, 0);
    t->driveState = ObjectTracker::None;
    carFrame(); // already on the edge: standing still is on the road
    EXPECT_NEAR(t->position.z, 18.5, 1e-6);
    t->position.z = 19; // pushed over the end
    carFrame();
    // Both releases ran: Z's sets -0.1, S's then +0.1; at rest it is cleared
    // before it is added, so the car stays put.
    EXPECT_FLOAT_EQ(t->acceleration, 0.1f);
    carFrame();
    EXPECT_EQ(t->speed, 0.0f);
    EXPECT_NEAR(t->position.z, 19, 1e-6);
}

TEST_F(CarFrame, WithCollisionsOffTheCarLeavesTheRoad) {
    ObjectTracker* t = driveCar(0, 18, 0, 1);
    world.collisionOn = false;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        for (int i = 0; i < 5; ++i) {
            glLoadIdentity();
            world.drawFrame();
        }
    glPopMatrix();
    EXPECT_NEAR(t->position.z, 23, 1e-5);
    EXPECT_NEAR(car.position.z, 23, 1e-5);
    EXPECT_FALSE(Camera::isCarOnRoad(*t, world.roadTrack, &world));
    EXPECT_EQ(t->driveState, ObjectTracker::Forward);
}

TEST_F(CarFrame, TheWorldsFrameRunsTheCarFrameWhileDriving) {
    ObjectTracker* t = driveCar(0, 18, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        for (int i = 0; i < 3; ++i) {
            glLoadIdentity();
            world.drawFrame();
        }
    glPopMatrix();
    // Every step (speeds 1, 0.9, 0.8) would pass the end: undone and braked.
    EXPECT_NEAR(t->position.z, 18, 1e-5);
    EXPECT_NEAR(t->speed, 0.8f, 1e-5);
    EXPECT_EQ(t->driveState, ObjectTracker::None);
}
