// The camera's frames against a small fake world that answers its two
// questions: on foot against boxes, in a car on a strip of road.
#include "camera/camera.h"
#include "scene/tobject.h"

#include <QKeyEvent>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Boxes that block (faces included) and one road strip |x| <= 4, |z| <= 20.
struct FakeWorld : WorldQuery {
    struct Box {
        FPoint low, high;
    };
    std::vector<Box> boxes;
    static bool inside(const FPoint& p, const Box& b) {
        return p.x >= b.low.x && p.x <= b.high.x && p.y >= b.low.y && p.y <= b.high.y &&
               p.z >= b.low.z && p.z <= b.high.z;
    }
    bool isBlocked(const FPoint& p) override {
        for (const Box& b : boxes)
            if (inside(p, b))
                return true;
        return false;
    }
    bool entersBlock(const FPoint& from, const FPoint& to) override {
        for (const Box& b : boxes)
            if (inside(to, b) && !inside(from, b))
                return true;
        return false;
    }
    bool isOnRoad(const FPoint& p) override { return std::fabs(p.x) <= 4 && std::fabs(p.z) <= 20; }
};

void press(Camera& c, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    c.keyPressed(&e);
}

// A point to a tenth of a millimetre, to compare with decimal expectations.
std::array<double, 3> rounded(double x, double y, double z) {
    return {std::round(x * 1e4) / 1e4, std::round(y * 1e4) / 1e4, std::round(z * 1e4) / 1e4};
}

} // namespace

// A box x -2..2, y -1..3, z -2..2; walking one unit on x and z a frame (Z
// held, the centre 1 ahead on each), or rising 0.5 a frame (R held).
TEST(Camera, AMoveIntoABoxIsUndoneAxisByAxisAndAStepOntoACornerWhole) {
    FakeWorld world;
    world.boxes.push_back({FPoint(-2, -1, -2), FPoint(2, 3, 2)});
    const struct {
        const char* what;
        std::array<double, 6> from; // eye, centre
        int key, frames;
        std::array<double, 3> eye, centre;
    } cases[] = {
        // (-2, 2, 1) is on the face x = -2: x is undone, z kept, centre too.
        {"slides along a face", {-3, 2, 0, 2, 2, 5}, Qt::Key_Z, 1, {-3, 2, 1}, {2, 2, 6}},
        // Past the box's end the steps are diagonal again.
        {"walks on past the end", {-3, 2, 0, 2, 2, 5}, Qt::Key_Z, 3, {-2, 2, 3}, {3, 2, 8}},
        // Each single-axis test misses the box; the step as a whole hits it.
        {"refuses a corner", {-3, 2, -3, 2, 2, 2}, Qt::Key_Z, 1, {-3, 2, -3}, {2, 2, 2}},
        // From above, rising is free; sinking into the top is undone on y only.
        {"stops on the top", {0, 4, 0, 0, 4, -5}, Qt::Key_F, 3, {0, 3.5, 0}, {0, 3.5, -5}},
        {"walks in the open", {10, 2, 0, 10, 2, 5}, Qt::Key_Z, 2, {10, 2, 2}, {10, 2, 7}},
    };
    for (const auto& c : cases) {
        Camera camera(c.from[0], c.from[1], c.from[2], c.from[3], c.from[4], c.from[5], 0, 1, 0);
        press(camera, c.key);
        for (int i = 0; i < c.frames; ++i)
            camera.footFrame(world);
        EXPECT_EQ(rounded(camera.eye[0], camera.eye[1], camera.eye[2]), c.eye) << c.what;
        EXPECT_EQ(rounded(camera.centre[0], camera.centre[1], camera.centre[2]), c.centre)
            << c.what;
    }
}

// A car driven with Z held at speed 1: a step off the road is undone, x
// before z, and brakes; the driven object follows the tracker.
TEST(Camera, TheCarFrameKeepsTheCarOnTheRoadAndMovesTheDrivenObject) {
    FakeWorld world;
    const struct {
        float x, z, heading; // degrees, 0 drives towards +z
        double toX, toZ;
        bool braked;
    } cases[] = {
        {0, 17, 0, 0, 18, false},         // front corners at z 19.5
        {0, 18, 0, 0, 18, true},          // they would be at 20.5
        {0, 18, 45, 0, 18, true},         // 0.707 on x and z: x restored, still off, z too
        {1.5f, 0, 45, 1.5, 0.7071, true}, // restoring x is enough
    };
    for (const auto& c : cases) {
        TObject car;
        car.position = FPoint(c.x, 0, c.z);
        car.rotation = FPoint(0, c.heading, 0);
        Camera camera(0, 2.5, 35, 0, 2.5, 30, 0, 1, 0);
        camera.enterCar(&car);
        press(camera, Qt::Key_Z);
        camera.tracker.speed = 1;
        camera.tracker.acceleration = 0;
        camera.carFrame(world);
        const ObjectTracker& t = camera.tracker;
        EXPECT_EQ(rounded(t.position.x, 0, t.position.z), rounded(c.toX, 0, c.toZ)) << c.z;
        EXPECT_EQ(t.driveState == ObjectTracker::None, c.braked) << c.z;
        EXPECT_FLOAT_EQ(t.acceleration, c.braked ? -0.1f : 0.0f) << c.z;
        // The object took the unchecked step; the next frame writes the corrected one.
        camera.tracker.speed = 0;
        camera.carFrame(world);
        EXPECT_EQ(rounded(car.position.x, 0, car.position.z),
                  rounded(t.position.x, 0, t.position.z));
    }
}
