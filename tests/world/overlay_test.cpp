// The help and status text, as the mode keys and the car change it.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

TEST(Overlay, ListsTheLightsTheModesAndTheKeysOfTheViewersMode) {
    testgl::makeCurrent();
    Map world;
    Light a(GL_LIGHT0), b(GL_LIGHT1), c(GL_LIGHT2);
    for (Light* light : {&a, &b, &c})
        world.addLight(light);
    b.on = false;
    world.ensureCamera();
    world.buildOverlayText();
    EXPECT_EQ(world.overlayText.toStdString(),
              "Lights:\n\nLight 0: on\nLight 1: off\nLight 2: on\n\nRendermode (M): FILL\n"
              "Shademodel (P): SMOOTH\n\n\nKey's (mode = player): \n\nForward: (Z / Key_Up)\n"
              "Backward: (S / Key_Down)\nStrafe Left: (Q / Key_Left)\nStrafe Right: (D / "
              "Key_Right)\nRotate Left: (A)\nRotate Right: (E)\n");
    for (int key : {Qt::Key_M, Qt::Key_P}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        world.keyPressed(&event);
    }
    ObjectTracker tracker;
    world.camera->enterCar(&tracker);
    world.buildOverlayText();
    EXPECT_NE(
        world.overlayText.toStdString().find(
            "\nRendermode (M): WIREFRAME\nShademodel (P): FLAT\n\n\nKey's (mode = car): \n\n"
            "Forward: (Z / Key_Up)\nBackward: (S / Key_Down)\nTurn Left: (Q / Key_Left)\n"
            "Turn Right: (D / Key_Right)\nGet out of the car: (Spacebar)\nChange view: (tab)\n"),
        std::string::npos)
        << world.overlayText.toStdString();
}

} // namespace
