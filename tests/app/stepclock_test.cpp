// The world's steps against a fake clock, and the frames drawn between two
// steps: the viewer and the driven car are blended from the step before to
// the last one.
#include "app/stepclock.h"
#include "camera/camera.h"
#include "scene/tobject.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr qint64 kMs = 1'000'000; // nanoseconds
}

// Frames at various paces, a stall, a pause and a wake: the steps taken.
TEST(StepClock, StepsEvery50MsWhateverTheFramesAndCatchesUpAtMostFiveAfterAStall) {
    const struct {
        const char* what;
        std::vector<qint64> frames; // frame start times, ms; the first one restarts the clock
        int steps;                  // steps taken over all frames
        double alpha;               // after the last frame
    } cases[] = {
        {"a frame at the start steps at once", {0}, 1, 0.0},
        {"3 s of 60 Hz frames: 20 steps a second",
         [] {
             std::vector<qint64> t;
             for (int i = 0; i <= 180; ++i)
                 t.push_back(i * 1000 / 60);
             return t;
         }(),
         61, 0.0},
        {"3 s of 25 ms frames",
         [] {
             std::vector<qint64> t;
             for (int i = 0; i <= 120; ++i)
                 t.push_back(i * 25);
             return t;
         }(),
         61, 0.0},
        {"half way to the next step", {0, 25}, 1, 0.5},
        {"a 2 s stall catches up 250 ms, not 2 s", {0, 2000}, 6, 0.0},
        {"the stall's rest is dropped, the pace goes on", {0, 2000, 2050, 2075}, 7, 0.5},
    };
    for (const auto& c : cases) {
        StepClock clock;
        int steps = 0;
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            if (i == 0)
                clock.restart(c.frames[0] * kMs);
            steps += clock.advance(c.frames[i] * kMs);
        }
        EXPECT_EQ(steps, c.steps) << c.what;
        EXPECT_DOUBLE_EQ(clock.alpha(), c.alpha) << c.what;
    }

    // Waking often (every mouse move) never steps more than once per 50 ms.
    StepClock clock;
    int steps = 0;
    for (qint64 t = 0; t < 1000; t += 10) {
        clock.restart(t * kMs);
        steps += clock.advance(t * kMs);
    }
    EXPECT_EQ(steps, 20);
}

// Walking forward 1 unit a step, and a car driving 1 unit a step: a frame at
// alpha 0, 1/2 and 1 shows the step before, half way, and the last step.
TEST(StepClock, AFrameShowsTheViewerAndTheCarBetweenTheLastTwoSteps) {
    Camera walker(0, 2.5, 35, 0, 2.5, 30, 0, 1, 0);
    walker.forwardStep = 0.2f; // a fifth of the 5 units to the centre
    walker.keepPrevious();
    walker.update();
    TObject car;
    car.rotation = FPoint(0, 90, 0); // heading +x
    Camera driver(0, 0, 0, 0, 0, -1, 0, 1, 0);
    driver.enterCar(&car);
    driver.tracker.speed = 1.0f;
    driver.tracker.driveState = ObjectTracker::Forward;
    driver.tracker.turnRate = 6.0f;
    driver.keepPrevious();
    driver.update(); // speed 1 + 0.0, x += 1, heading += 6
    for (const double alpha : {0.0, 0.5, 1.0}) {
        walker.setBlend(alpha);
        double eye[3], centre[3];
        walker.shownView(eye, centre);
        EXPECT_NEAR(eye[2], 35.0 - alpha, 1e-6) << alpha; // the step is 0.2f of 5 units
        EXPECT_NEAR(centre[2], 30.0 - alpha, 1e-6) << alpha;
        driver.setBlend(alpha);
        const TObject shown = driver.shownPlacement(car);
        EXPECT_NEAR(shown.position.x, alpha, 1e-6) << alpha;
        EXPECT_NEAR(shown.rotation.y, 90 + 6 * alpha, 1e-5) << alpha;
        EXPECT_EQ(driver.shownPlacement(TObject()).position.x, 0.0f) << "other objects stand";
    }
    EXPECT_FALSE(walker.isStill());
    walker.forwardStep = 0;
    walker.keepPrevious();
    walker.update();
    EXPECT_TRUE(walker.isStill()) << "no step set and the last step moved nothing";
}
