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
#include <string>
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
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    c.mouseMoved(&e);
}

Matrix modelView() {
    Matrix m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// One camera update on an identity model-view; returns the view it set.
Matrix updateAndReadView(Camera& c) {
    testgl::makeCurrent();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        glLoadIdentity();
        c.update();
        Matrix m = modelView();
    glPopMatrix();
    return m;
}

// The view gluLookAt gives for the camera's current eye, centre and up.
Matrix viewOf(const Camera& c) {
    testgl::makeCurrent();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        glLoadIdentity();
        c.applyView();
        Matrix m = modelView();
    glPopMatrix();
    return m;
}

void expectEye(const Camera& c, double x, double y, double z) {
    EXPECT_NEAR(c.eye[0], x, 1e-6);
    EXPECT_NEAR(c.eye[1], y, 1e-6);
    EXPECT_NEAR(c.eye[2], z, 1e-6);
}

void expectCentre(const Camera& c, double x, double y, double z) {
    EXPECT_NEAR(c.centre[0], x, 1e-6);
    EXPECT_NEAR(c.centre[1], y, 1e-6);
    EXPECT_NEAR(c.centre[2], z, 1e-6);
}

// A viewer at (0, 2, 10) looking 5 units ahead along -z.
Camera lookingDownZ() { return Camera(0, 2, 10, 0, 2, 5, 0, 1, 0); }

} // namespace

TEST(CameraSteps, HeldZMovesAFifthOfTheViewVectorPerFrameAndSetsTheView) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_Z);
    Matrix m = updateAndReadView(c);
    expectEye(c, 0, 2, 9);
    expectCentre(c, 0, 2, 4);
    // Looking along -z the view is a pure translation by -eye.
    EXPECT_NEAR(m[12], 0, 1e-9);
    EXPECT_NEAR(m[13], -2, 1e-6);
    EXPECT_NEAR(m[14], -9, 1e-6);
    EXPECT_NEAR(m[0], 1, 1e-9);
    EXPECT_NEAR(m[10], 1, 1e-9);

    updateAndReadView(c);
    expectEye(c, 0, 2, 8);

    release(c, Qt::Key_Z);
    updateAndReadView(c);
    expectEye(c, 0, 2, 8);

    press(c, Qt::Key_S);
    updateAndReadView(c);
    expectEye(c, 0, 2, 9);
    expectCentre(c, 0, 2, 4);
    release(c, Qt::Key_S);
    EXPECT_EQ(c.forwardStep, 0.0f);
}

TEST(CameraSteps, ForwardStepIsProportionalToTheEyeToCentreDistance) {
    Camera c(1, 0, 1, 4, 0, 5, 0, 1, 0); // view vector (3, 0, 4), length 5
    c.moveForward(0.5f);
    expectEye(c, 2.5, 0, 3);
    expectCentre(c, 5.5, 0, 7);
}

TEST(CameraSteps, RAndFMoveStraightUpAndDownAlsoWhileWalking) {
    Camera c(0, 2, 10, 3, 6, 6, 0, 1, 0); // looking up and to the side
    press(c, Qt::Key_R);
    updateAndReadView(c);
    expectEye(c, 0, 2.5, 10);
    expectCentre(c, 3, 6.5, 6);

    press(c, Qt::Key_Z);
    updateAndReadView(c);
    expectEye(c, 0.6, 3.0, 9.2);
    release(c, Qt::Key_Z);

    press(c, Qt::Key_F);
    updateAndReadView(c);
    expectEye(c, 0.6, 2.5, 9.2);
    release(c, Qt::Key_F);
    updateAndReadView(c);
    expectEye(c, 0.6, 2.5, 9.2);
}

TEST(CameraSteps, ETurnsRightAboutTheEyeInSinglePrecision) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_E);
    Matrix m = updateAndReadView(c);
    const float s = std::sin(0.07f), co = std::cos(0.07f);
    expectEye(c, 0, 2, 10);
    EXPECT_NEAR(c.centre[0], 5 * s, 1e-6); // to the right of -z is +x
    EXPECT_NEAR(c.centre[2], 10 - 5 * co, 1e-6);
    EXPECT_EQ(c.centre[0], double(float(c.centre[0])));
    EXPECT_EQ(c.centre[2], double(float(c.centre[2])));
    // The view's third row is minus the unit view direction.
    EXPECT_NEAR(m[2], -s, 1e-6);
    EXPECT_NEAR(m[10], co, 1e-6);

    const double dist =
        std::hypot(c.centre[0] - c.eye[0], c.centre[2] - c.eye[2]); // yaw keeps the distance
    EXPECT_NEAR(dist, 5, 1e-5);
}

TEST(CameraSteps, AAndEShareOneTurnStep) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_A);
    EXPECT_FLOAT_EQ(c.turnStep, -0.07f);
    press(c, Qt::Key_E);
    release(c, Qt::Key_A);
    updateAndReadView(c);
    expectCentre(c, 0, 2, 5);
}

TEST(CameraSteps, StrafeMovesSidewaysByAFifthOfTheViewVector) {
    Camera c = lookingDownZ();
    press(c, Qt::Key_D);
    updateAndReadView(c);
    expectEye(c, 1, 2, 10);
    expectCentre(c, 1, 2, 5);
    release(c, Qt::Key_D);
    press(c, Qt::Key_Q);
    updateAndReadView(c);
    updateAndReadView(c);
    expectEye(c, -1, 2, 10);
    release(c, Qt::Key_Q);
    EXPECT_EQ(c.strafeStep, 0.0f);
}

TEST(CameraSteps, UpdateMovesThenTurnsThenStrafes) {
    Camera c(0, 0, 0, 0, 0, -5, 0, 1, 0);
    press(c, Qt::Key_Z);
    press(c, Qt::Key_E);
    press(c, Qt::Key_D);
    updateAndReadView(c);
    const float s = std::sin(0.07f), co = std::cos(0.07f);
    // After the move eye (0, 0, -1); the turn swings the centre; the strafe
    // then goes sideways of the turned direction (5s, -5c).
    expectEye(c, 0.2 * 5 * co, 0, -1 + 0.2 * 5 * s);
    EXPECT_NEAR(c.centre[0], 5 * s + co, 1e-5);
    EXPECT_NEAR(c.centre[2], -1 - 5 * co + s, 1e-5);
}

TEST(CameraKeys, AutoRepeatedPressesAndReleasesAreIgnored) {
    Camera c = lookingDownZ();
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QString(), true);
    c.keyPressed(&repeated);
    EXPECT_FALSE(repeated.isAccepted());
    EXPECT_EQ(c.forwardStep, 0.0f);

    press(c, Qt::Key_Z);
    QKeyEvent repeatedRelease(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, QString(), true);
    c.keyReleased(&repeatedRelease);
    EXPECT_FALSE(repeatedRelease.isAccepted());
    EXPECT_FLOAT_EQ(c.forwardStep, 0.2f);

    release(c, Qt::Key_Tab, true);
    EXPECT_EQ(c.viewMode, 1);
}

TEST(CameraKeys, ArrowAndOtherKeysMoveNothing) {
    Camera c = lookingDownZ();
    for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_W, Qt::Key_L})
        press(c, key);
    EXPECT_EQ(c.forwardStep, 0.0f);
    EXPECT_EQ(c.turnStep, 0.0f);
    EXPECT_EQ(c.strafeStep, 0.0f);
    EXPECT_EQ(c.verticalStep, 0.0f);
    updateAndReadView(c);
    expectEye(c, 0, 2, 10);
    expectCentre(c, 0, 2, 5);
}

TEST(CameraKeys, TabCyclesTheViewModeOnRelease) {
    Camera c = lookingDownZ();
    EXPECT_EQ(c.viewMode, 1);
    c.viewMode = 0;
    press(c, Qt::Key_Tab);
    EXPECT_EQ(c.viewMode, 0);
    int seen[5];
    seen[0] = c.viewMode;
    for (int i = 1; i < 5; ++i) {
        release(c, Qt::Key_Tab);
        seen[i] = c.viewMode;
    }
    EXPECT_EQ(seen[1], 1);
    EXPECT_EQ(seen[2], 2);
    EXPECT_EQ(seen[3], 3);
    EXPECT_EQ(seen[4], 0);
}

TEST(CameraKeys, LeavingACarKeepsTheViewModeAndForgetsTheTracker) {
    Camera c = lookingDownZ();
    ObjectTracker t;
    c.enterCar(&t);
    EXPECT_TRUE(c.isInCar());
    release(c, Qt::Key_Tab);
    c.leaveCar();
    EXPECT_FALSE(c.isInCar());
    EXPECT_EQ(c.tracker, nullptr);
    EXPECT_EQ(c.viewMode, 2);
}

TEST(CameraMouse, EachMoveTurnsAndTiltsOneFixedStep) {
    Camera c = lookingDownZ();
    // Before any reference is set the cursor is compared with (0, 0).
    mouseTo(c, 50, 0);
    EXPECT_NEAR(c.centre[0], 5 * std::sin(0.03f), 1e-6);
    EXPECT_NEAR(c.centre[1], 2, 1e-9);

    c = lookingDownZ();
    c.setMouseReference(160, 120);
    mouseTo(c, 300, 10); // far right and up: still one step each
    EXPECT_NEAR(c.centre[0], 5 * std::sin(0.03f), 1e-6);
    EXPECT_NEAR(c.centre[1], 2.07, 1e-6);
    mouseTo(c, 159, 121); // one pixel left and down
    EXPECT_NEAR(c.centre[0], 0, 1e-6);
    EXPECT_NEAR(c.centre[1], 2, 1e-6);
    mouseTo(c, 160, 120); // the cursor back at the reference
    EXPECT_NEAR(c.centre[0], 0, 1e-6);
    EXPECT_NEAR(c.centre[1], 2, 1e-6);
    expectEye(c, 0, 2, 10);

    for (int i = 0; i < 100; ++i) // no limit on looking up
        mouseTo(c, 160, 0);
    EXPECT_NEAR(c.centre[1], 2 + 100 * 0.07, 1e-6);
}

namespace {

// A world with one 4 x 4 x 4 box blueprint; placed objects go 1 up (the
// world's height offset).
class CameraCollision : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        box.boxWidth = 4;
        box.boxHeight = 4;
        box.boxDepth = 4;
        world.addBlueprint("box", &box);
    }

    TObject* place(const std::string& blueprint, const std::string& key, float x, float y,
                   float z) {
        auto* o = new TObject;
        o->position = FPoint(x, y, z);
        placed.emplace_back(o);
        world.addObject(blueprint, key, o);
        return o;
    }

    void addSkyBox(float size) {
        sky.boxWidth = size;
        sky.boxHeight = size;
        sky.boxDepth = size;
        world.addBlueprint("skybox", &sky);
        place("skybox", "skybox", 500, 0, 500); // where it stands does not matter
    }

    Map world;
    TObject box;
    TObject sky;
    std::vector<std::unique_ptr<TObject>> placed;
};

} // namespace

TEST_F(CameraCollision, PointsInsideABoxFacesIncludedCollide) {
    place("box", "b", 10, 0, 0); // box x 8..12, y -1..3, z -2..2
    Camera c = lookingDownZ();
    EXPECT_TRUE(c.collides(FPoint(10, 1, 0), &world));
    EXPECT_TRUE(c.collides(FPoint(8, 3, -2), &world));
    EXPECT_FALSE(c.collides(FPoint(7.99f, 1, 0), &world));
    EXPECT_FALSE(c.collides(FPoint(10, 3.01f, 0), &world));
    EXPECT_FALSE(c.collides(FPoint(0, 0, 0), &world));
}

TEST_F(CameraCollision, ScaleAndRotationOfTheObjectDoNotChangeItsBox) {
    TObject* o = place("box", "b", 0, 0, 0);
    o->scale = FPoint(10, 10, 10);
    o->rotation = FPoint(0, 45, 0);
    Camera c = lookingDownZ();
    EXPECT_TRUE(c.collides(FPoint(1.9f, 1, 1.9f), &world));
    EXPECT_FALSE(c.collides(FPoint(2.1f, 1, 0), &world));
}

TEST_F(CameraCollision, AMoveIntoAFaceSlidesAlongIt) {
    place("box", "b", 0, 0, 0); // x -2..2, y -1..3, z -2..2
    Camera c(-3, 1, 0, 2, 1, 5, 0, 1, 0); // view vector (5, 0, 5): one unit on x and z per frame
    press(c, Qt::Key_Z);

    testgl::makeCurrent();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        glLoadIdentity();
        c.footFrame(&world);
        Matrix drawn = modelView();
    glPopMatrix();

    // The new eye (-2, 1, 1) is on the box's face: x is undone, z kept.
    expectEye(c, -3, 1, 1);
    expectCentre(c, 2, 1, 6);
    // This frame was drawn from the unchecked position.
    Camera unchecked(-2, 1, 1, 3, 1, 6, 0, 1, 0);
    Matrix expected = viewOf(unchecked);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(drawn[i], expected[i], 1e-9) << i;
    expectEye(world.snapshotCamera, -3, 1, 0);

    // Along the face while it lasts, then diagonally again past its end at z 2.
    glPushMatrix();
        c.footFrame(&world);
        expectEye(c, -3, 1, 2);
        c.footFrame(&world);
    glPopMatrix();
    expectEye(c, -2, 1, 3);
    expectCentre(c, 3, 1, 8);
}

TEST_F(CameraCollision, ClimbingIntoABoxUndoesOnlyTheVerticalStep) {
    place("box", "b", 0, 0, 0); // top face at y 3
    Camera c(0, 3.4, 0, 0, 3.4, -5, 0, 1, 0);
    press(c, Qt::Key_F);
    press(c, Qt::Key_D);
    glPushMatrix();
        c.footFrame(&world);
    glPopMatrix();
    expectEye(c, 1, 3.4, 0);
    expectCentre(c, 1, 3.4, -5);
}

// Regression: each single-axis test of a diagonal step onto a box corner
// misses the box, so the axis-by-axis undo let the viewer into the box,
// where every later step was refused.
TEST_F(CameraCollision, DiagonalStepOntoACornerIsRefusedWhole) {
    place("box", "b", 0, 0, 0);
    Camera c(-3, 1, -3, 2, 1, 2, 0, 1, 0); // steps to (-2, 1, -2), the corner
    press(c, Qt::Key_Z);
    glPushMatrix();
        c.footFrame(&world);
    glPopMatrix();
    expectEye(c, -3, 1, -3);
    expectCentre(c, 2, 1, 2);
    EXPECT_FALSE(c.collides(FPoint(c.eye[0], c.eye[1], c.eye[2]), &world));
}

TEST_F(CameraCollision, TheSkyBoxKeepsTheViewerInsideABoxAroundY50) {
    addSkyBox(100); // x -50..50, y 0..100, z -50..50, whatever its position
    Camera c(0, 2, 45, 0, 2, 50, 0, 1, 0);
    EXPECT_FALSE(c.collides(FPoint(50, 0, -50), &world)); // faces are inside
    EXPECT_TRUE(c.collides(FPoint(0, -0.01f, 0), &world));
    EXPECT_TRUE(c.collides(FPoint(500, 1, 500), &world));

    press(c, Qt::Key_Z);
    glPushMatrix();
        for (int i = 0; i < 8; ++i)
            c.footFrame(&world);
    glPopMatrix();
    expectEye(c, 0, 2, 50);
    release(c, Qt::Key_Z);

    press(c, Qt::Key_F);
    glPushMatrix();
        for (int i = 0; i < 8; ++i)
            c.footFrame(&world);
    glPopMatrix();
    expectEye(c, 0, 0, 50);
}

TEST_F(CameraCollision, AViewerOutsideTheSkyBoxCannotMove) {
    addSkyBox(100);
    Camera c(0, 2, 60, 0, 2, 55, 0, 1, 0);
    press(c, Qt::Key_Z);
    press(c, Qt::Key_D);
    press(c, Qt::Key_R);
    glPushMatrix();
        c.footFrame(&world);
    glPopMatrix();
    expectEye(c, 0, 2, 60);
    expectCentre(c, 0, 2, 55);
}

TEST_F(CameraCollision, WithoutASkyBoxThereIsNoOuterLimit) {
    Camera c(0, 2, 45, 0, 2, 50, 0, 1, 0);
    press(c, Qt::Key_Z);
    glPushMatrix();
        for (int i = 0; i < 100; ++i)
            c.footFrame(&world);
    glPopMatrix();
    expectEye(c, 0, 2, 145);
}

TEST_F(CameraCollision, WithCollisionsOffTheFrameWalksThroughBoxes) {
    place("box", "b", 0, 0, 0);
    auto* c = new Camera(0, 1, 5, 0, 1, 0, 0, 1, 0);
    world.setCamera(c);
    world.collisionOn = false;
    press(*c, Qt::Key_Z);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
        for (int i = 0; i < 4; ++i) {
            glLoadIdentity();
            world.drawFrame();
        }
    glPopMatrix();
    expectEye(*c, 0, 1, 1); // inside the box

    world.collisionOn = true;
    glPushMatrix();
        glLoadIdentity();
        world.drawFrame();
    glPopMatrix();
    expectEye(*c, 0, 1, 1); // with collisions on, a move within the box is undone

}
