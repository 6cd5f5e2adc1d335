// Camera on foot: key steps, mouse look, the view it sends to GL, and the
// collision frame against placed boxes and the sky box.
#include "camera/camera.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using Matrix = std::array<double, 16>;

void press(Camera& c, int key, bool autoRepeat = false) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    c.keyPressed(&e);
}

void release(Camera& c, int key, bool autoRepeat = false) {
    QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    c.keyReleased(&e);
}

void mouseTo(Camera& c, int x, int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    c.mouseMoved(&e);
}

// Runs step on an identity model-view matrix and returns the view it set.
template <typename Step> Matrix readView(Step step) {
    testgl::makeCurrent();
    Matrix m;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        glLoadIdentity();
        step();
        glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    glPopMatrix();
    return m;
}

Matrix update(Camera& c, int frames = 1) {
    Matrix m;
    for (int i = 0; i < frames; ++i)
        m = readView([&] { c.update(); });
    return m;
}

void expectAt(const double* v, double x, double y, double z) {
    EXPECT_NEAR(v[0], x, 1e-6);
    EXPECT_NEAR(v[1], y, 1e-6);
    EXPECT_NEAR(v[2], z, 1e-6);
}

// A viewer at (0, 2, 10) looking 5 units ahead along -z.
Camera lookingDownZ() {
    return Camera(0, 2, 10, 0, 2, 5, 0, 1, 0);
}

} // namespace

TEST(CameraSteps, ZAndSMoveAFifthOfTheViewVectorAndSetTheView) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_Z);
    Matrix m = update(c);
    expectAt(c.eye, 0, 2, 9);
    expectAt(c.centre, 0, 2, 4);
    // Looking along -z the view is a pure translation by -eye.
    EXPECT_NEAR(m[0], 1, 1e-9);
    EXPECT_NEAR(m[10], 1, 1e-9);
    EXPECT_NEAR(m[13], -2, 1e-6);
    EXPECT_NEAR(m[14], -9, 1e-6);
    release(c, Qt::Key_Z);
    update(c);
    expectAt(c.eye, 0, 2, 9);
    press(c, Qt::Key_S);
    update(c, 2);
    expectAt(c.eye, 0, 2, 11);

    Camera far(1, 0, 1, 4, 0, 5, 0, 1, 0); // view vector (3, 0, 4): not normalised
    far.moveForward(0.5f);
    expectAt(far.eye, 2.5, 0, 3);
    expectAt(far.centre, 5.5, 0, 7);
}

TEST(CameraSteps, RAndFMoveStraightUpAndDownAlsoWhileWalking) {
    Camera c(0, 2, 10, 3, 6, 6, 0, 1, 0); // looking up and to the side
    press(c, Qt::Key_R);
    press(c, Qt::Key_Z);
    update(c);
    expectAt(c.eye, 0.6, 2.5, 9.2);
    expectAt(c.centre, 3.6, 6.5, 5.2);
    release(c, Qt::Key_Z);
    press(c, Qt::Key_F);
    update(c, 2);
    expectAt(c.eye, 0.6, 1.5, 9.2);
    release(c, Qt::Key_F);
    update(c);
    expectAt(c.eye, 0.6, 1.5, 9.2);
}

TEST(CameraSteps, ETurnsRightAboutTheEyeInSinglePrecisionAndAShareItsStep) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_E);
    Matrix m = update(c);
    const float s = std::sin(0.07f), co = std::cos(0.07f);
    expectAt(c.eye, 0, 2, 10);
    expectAt(c.centre, 5 * s, 2, 10 - 5 * co); // right of -z is +x
    EXPECT_EQ(c.centre[0], double(float(c.centre[0])));
    EXPECT_EQ(c.centre[2], double(float(c.centre[2])));
    // The view's third row is minus the unit view direction.
    EXPECT_NEAR(m[2], -s, 1e-6);
    EXPECT_NEAR(m[10], co, 1e-6);

    press(c, Qt::Key_A); // A and E share one step: releasing either stops
    release(c, Qt::Key_E);
    EXPECT_EQ(c.turnStep, 0.0f);
    update(c);
    expectAt(c.centre, 5 * s, 2, 10 - 5 * co);
}

TEST(CameraSteps, DAndQStrafeAndUpdateMovesThenTurnsThenStrafes) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_D);
    update(c);
    expectAt(c.eye, 1, 2, 10);
    expectAt(c.centre, 1, 2, 5);
    press(c, Qt::Key_Q);
    update(c, 2);
    expectAt(c.eye, -1, 2, 10);
    release(c, Qt::Key_Q);

    Camera all(0, 0, 0, 0, 0, -5, 0, 1, 0);
    for (int key : {Qt::Key_Z, Qt::Key_E, Qt::Key_D})
        press(all, key);
    update(all);
    // Moved to (0, 0, -1), the centre swung right, then a step sideways of
    // the turned direction (5s, -5c).
    const float s = std::sin(0.07f), co = std::cos(0.07f);
    expectAt(all.eye, co, 0, -1 + s);
    EXPECT_NEAR(all.centre[0], 5 * s + co, 1e-5);
    EXPECT_NEAR(all.centre[2], -1 - 5 * co + s, 1e-5);
}

TEST(CameraKeys, AutoRepeatAndUnusedKeysChangeNothing) {
    Camera c = lookingDownZ();
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QString(), true);
    c.keyPressed(&repeated);
    EXPECT_FALSE(repeated.isAccepted());
    EXPECT_EQ(c.forwardStep, 0.0f);
    press(c, Qt::Key_Z);
    release(c, Qt::Key_Z, true);
    EXPECT_FLOAT_EQ(c.forwardStep, 0.2f);
    release(c, Qt::Key_Tab, true);
    EXPECT_EQ(c.viewMode, 1);
    release(c, Qt::Key_Z);

    for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_W})
        press(c, key);
    update(c);
    expectAt(c.eye, 0, 2, 10);
    expectAt(c.centre, 0, 2, 5);
}

TEST(CameraKeys, TabCyclesTheViewModeOnRelease) {
    Camera c = lookingDownZ();
    c.viewMode = 0;
    press(c, Qt::Key_Tab);
    EXPECT_EQ(c.viewMode, 0);
    for (int expected : {1, 2, 3, 0}) {
        release(c, Qt::Key_Tab);
        EXPECT_EQ(c.viewMode, expected);
    }
}

TEST(CameraMouse, EachMoveTurnsAndTiltsOneFixedStep) {
    Camera c = lookingDownZ();
    mouseTo(c, 50, 0); // compared with (0, 0) before any reference is set
    expectAt(c.centre, 5 * std::sin(0.03f), 2, 10 - 5 * std::cos(0.03f));

    c = lookingDownZ();
    c.setMouseReference(160, 120);
    mouseTo(c, 300, 10); // far right and up: still one step each
    expectAt(c.centre, 5 * std::sin(0.03f), 2.07, 10 - 5 * std::cos(0.03f));
    mouseTo(c, 159, 121);
    expectAt(c.centre, 0, 2, 5);
    mouseTo(c, 160, 120); // back at the reference
    expectAt(c.centre, 0, 2, 5);
    for (int i = 0; i < 100; ++i) // no limit on looking up
        mouseTo(c, 160, 0);
    EXPECT_NEAR(c.centre[1], 9, 1e-5);
    expectAt(c.eye, 0, 2, 10);
}

namespace {

// A world with a 4 x 4 x 4 box blueprint; placed objects go 1 up (the
// world's height offset).
class CameraCollision : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        box.boxWidth = box.boxHeight = box.boxDepth = 4;
        world.addBlueprint("box", &box);
    }

    TObject* place(const std::string& blueprint, const std::string& key, float x, float y,
                   float z) {
        placed.emplace_back(new TObject);
        placed.back()->position = FPoint(x, y, z);
        world.addObject(blueprint, key, placed.back().get());
        return placed.back().get();
    }

    void frames(Camera& c, int n) {
        for (int i = 0; i < n; ++i)
            readView([&] { c.footFrame(&world); });
    }

    Map world;
    TObject box;
    TObject sky;
    std::vector<std::unique_ptr<TObject>> placed;
};

} // namespace

TEST_F(CameraCollision, BoxesCountFacesAsInsideAndIgnoreScaleAndRotation) {
    TObject* o = place("box", "b", 10, 0, 0); // x 8..12, y -1..3, z -2..2
    o->scale = FPoint(10, 10, 10);
    o->rotation = FPoint(0, 45, 0);
    Camera c = lookingDownZ();
    EXPECT_TRUE(c.collides(FPoint(10, 1, 0), &world));
    EXPECT_TRUE(c.collides(FPoint(8, 3, -2), &world));
    EXPECT_FALSE(c.collides(FPoint(7.99f, 1, 0), &world));
    EXPECT_FALSE(c.collides(FPoint(10, 3.01f, 0), &world));
}

TEST_F(CameraCollision, AMoveIntoAFaceSlidesAlongIt) {
    place("box", "b", 0, 0, 0);           // x -2..2, y -1..3, z -2..2
    Camera c(-3, 1, 0, 2, 1, 5, 0, 1, 0); // one unit on x and z per frame
    press(c, Qt::Key_Z);
    Matrix drawn = readView([&] { c.footFrame(&world); });
    // The new eye (-2, 1, 1) is on the face x = -2: x is undone, z kept.
    expectAt(c.eye, -3, 1, 1);
    expectAt(c.centre, 2, 1, 6);
    expectAt(world.snapshotCamera.eye, -3, 1, 0);
    // This frame was drawn from the unchecked position.
    Camera unchecked(-2, 1, 1, 3, 1, 6, 0, 1, 0);
    Matrix expected = readView([&] { unchecked.applyView(); });
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(drawn[i], expected[i], 1e-6) << i;

    frames(c, 1);
    expectAt(c.eye, -3, 1, 2);
    frames(c, 1); // past the box's end: diagonal again
    expectAt(c.eye, -2, 1, 3);

    Camera top(0, 3.4, 0, 0, 3.4, -5, 0, 1, 0); // sinking onto the top while strafing
    press(top, Qt::Key_F);
    press(top, Qt::Key_D);
    frames(top, 1);
    expectAt(top.eye, 1, 3.4, 0);
    expectAt(top.centre, 1, 3.4, -5);
}

// Regression: each single-axis test of a diagonal step onto a box corner
// misses the box, so the axis-by-axis undo let the viewer into the box,
// where every later step was refused.
TEST_F(CameraCollision, DiagonalStepOntoACornerIsRefusedWhole) {
    place("box", "b", 0, 0, 0);
    Camera c(-3, 1, -3, 2, 1, 2, 0, 1, 0); // steps to (-2, 1, -2), the corner
    press(c, Qt::Key_Z);
    frames(c, 1);
    expectAt(c.eye, -3, 1, -3);
    expectAt(c.centre, 2, 1, 2);
}

TEST_F(CameraCollision, TheSkyBoxKeepsTheViewerInABoxAroundY50) {
    Camera c(0, 2, 45, 0, 2, 50, 0, 1, 0);
    press(c, Qt::Key_Z);
    frames(c, 10);
    expectAt(c.eye, 0, 2, 55); // no sky box, no limit

    sky.boxWidth = sky.boxHeight = sky.boxDepth = 100;
    world.addBlueprint("skybox", &sky);
    place("skybox", "skybox", 500, 0, 500); // x -50..50, y 0..100, z -50..50 wherever it stands
    EXPECT_FALSE(c.collides(FPoint(50, 0, -50), &world));
    EXPECT_TRUE(c.collides(FPoint(0, -0.01f, 0), &world));

    Camera outside = c; // a viewer outside cannot move at all
    press(outside, Qt::Key_D);
    frames(outside, 1);
    expectAt(outside.eye, 0, 2, 55);

    c.setLookAt(0, 2, 45, 0, 2, 50, 0, 1, 0);
    frames(c, 8);
    expectAt(c.eye, 0, 2, 50);
    release(c, Qt::Key_Z);
    press(c, Qt::Key_F);
    frames(c, 8);
    expectAt(c.eye, 0, 0, 50);
}

TEST_F(CameraCollision, WithCollisionsOffTheWorldsFrameWalksThroughBoxes) {
    place("box", "b", 0, 0, 0);
    auto* c = new Camera(0, 1, 5, 0, 1, 0, 0, 1, 0);
    world.setCamera(c);
    world.collisionOn = false;
    press(*c, Qt::Key_Z);
    for (int i = 0; i < 4; ++i)
        readView([&] { world.drawFrame(); });
    expectAt(c->eye, 0, 1, 1); // inside the box
    world.collisionOn = true;
    readView([&] { world.drawFrame(); });
    expectAt(c->eye, 0, 1, 1);
}
