// The world's key handling: switches, light keys and their console lines.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

void press(Map& world, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    world.keyPressed(&event);
}

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        world.setCamera(new Camera(0, 2.5, 35, 0, 2.5, 30, 0, 1, 0));
    }
    Map world;
};

TEST_F(KeysTest, LTogglesLightingAndSaysSo) {
    testgl::StdoutCapture out;
    press(world, Qt::Key_L);
    EXPECT_FALSE(world.lightingOn);
    press(world, Qt::Key_L);
    EXPECT_TRUE(world.lightingOn);
    EXPECT_EQ(out.text(), "L gepressed 0\nL gepressed 1\n");
}

TEST_F(KeysTest, DigitsSwitchTheLightAtTheirIndexOnlyWhenItsNumberExists) {
    Light zero(GL_LIGHT0), one(GL_LIGHT1), seven(GL_LIGHT7);
    world.addLight(&zero);
    world.addLight(&one);
    testgl::StdoutCapture out;
    press(world, Qt::Key_1);
    EXPECT_FALSE(one.on);
    press(world, Qt::Key_0);
    EXPECT_FALSE(zero.on);
    press(world, Qt::Key_1);
    EXPECT_TRUE(one.on);
    press(world, Qt::Key_5); // no light on GL_LIGHT5
    press(world, Qt::Key_8); // not a light key
    press(world, Qt::Key_9);
    EXPECT_EQ(out.text(), "1 gepressed 0\n0 gepressed 0\n1 gepressed 1\n");

    // GL_LIGHT7 exists but there is no light at index 7: nothing happens.
    world.addLight(&seven);
    testgl::StdoutCapture quiet;
    press(world, Qt::Key_7);
    EXPECT_TRUE(seven.on);
    EXPECT_EQ(quiet.text(), "");
}

TEST_F(KeysTest, ModeKeysToggleTheirSwitches) {
    press(world, Qt::Key_M);
    EXPECT_EQ(world.renderMode, GLenum(GL_LINE));
    press(world, Qt::Key_M);
    EXPECT_EQ(world.renderMode, GLenum(GL_FILL));
    press(world, Qt::Key_P);
    EXPECT_EQ(world.shadeModel, GLenum(GL_FLAT));
    press(world, Qt::Key_P);
    EXPECT_EQ(world.shadeModel, GLenum(GL_SMOOTH));
    press(world, Qt::Key_T);
    EXPECT_FALSE(world.mouseTracking);
    press(world, Qt::Key_C);
    EXPECT_FALSE(world.collisionOn);
    press(world, Qt::Key_C);
    EXPECT_TRUE(world.collisionOn);
}

TEST_F(KeysTest, SpaceLeavesTheCarAndPutsTheViewerAtTheStart) {
    ObjectTracker tracker;
    world.camera->enterCar(&tracker);
    world.camera->setLookAt(9, 9, 9, 1, 1, 1, 0, 1, 0);
    world.mouseTracking = false;
    press(world, Qt::Key_Space);
    EXPECT_FALSE(world.camera->isInCar());
    EXPECT_EQ(world.camera->tracker, nullptr);
    EXPECT_TRUE(world.mouseTracking);
    EXPECT_DOUBLE_EQ(world.camera->eye[0], 0);
    EXPECT_DOUBLE_EQ(world.camera->eye[1], 2.5);
    EXPECT_DOUBLE_EQ(world.camera->eye[2], 35);
    EXPECT_DOUBLE_EQ(world.camera->centre[2], 30);
    EXPECT_DOUBLE_EQ(world.camera->up[1], 1);
}

TEST_F(KeysTest, MovementKeysGoToTheCameraAndChangeNothingInTheWorld) {
    press(world, Qt::Key_Z);
    EXPECT_FLOAT_EQ(world.camera->forwardStep, 0.2f);
    EXPECT_TRUE(world.lightingOn);
    EXPECT_TRUE(world.mouseTracking);
    EXPECT_EQ(world.renderMode, GLenum(GL_FILL));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier);
    world.keyReleased(&release);
    EXPECT_FLOAT_EQ(world.camera->forwardStep, 0.0f);
}

TEST_F(KeysTest, EscapeEndsTheProcessWithStatusOne) {
    // A forked child would inherit Mesa's worker threads; start a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(press(world, Qt::Key_Escape), ::testing::ExitedWithCode(1), "");
}

} // namespace
