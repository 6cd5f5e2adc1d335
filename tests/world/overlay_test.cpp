// The help and status text.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList rows(const Map& world) {
    return world.overlayText.split("\n", Qt::KeepEmptyParts, Qt::CaseSensitive);
}

TEST(Overlay, ThreeLightsOnFootGiveNineteenRows) {
    testgl::makeCurrent();
    Map world;
    Light a(GL_LIGHT0), b(GL_LIGHT1), c(GL_LIGHT2);
    world.addLight(&a);
    world.addLight(&b);
    world.addLight(&c);
    world.ensureCamera();
    world.buildOverlayText();
    const QStringList expected = {"Lights:",
                                  "",
                                  "Light 0: on",
                                  "Light 1: on",
                                  "Light 2: on",
                                  "",
                                  "Rendermode (M): FILL",
                                  "Shademodel (P): SMOOTH",
                                  "",
                                  "",
                                  "Key's (mode = player): ",
                                  "",
                                  "Forward: (Z / Key_Up)",
                                  "Backward: (S / Key_Down)",
                                  "Strafe Left: (Q / Key_Left)",
                                  "Strafe Right: (D / Key_Right)",
                                  "Rotate Left: (A)",
                                  "Rotate Right: (E)",
                                  ""};
    EXPECT_EQ(rows(world), expected);
    // Each row takes 15 pixels from y = 15: the last is at 285.
    EXPECT_EQ(15 + 15 * (rows(world).size() - 1), 285);
}

TEST(Overlay, StatesModesAndTheCarHelp) {
    testgl::makeCurrent();
    Map world;
    Light a(GL_LIGHT1);
    a.on = false;
    world.addLight(&a);
    world.renderMode = GL_LINE;
    world.shadeModel = GL_FLAT;
    world.ensureCamera();
    ObjectTracker tracker;
    world.camera->enterCar(&tracker);
    world.buildOverlayText();
    QStringList r = rows(world);
    EXPECT_EQ(r[2], "Light 0: off");
    EXPECT_EQ(r[4], "Rendermode (M): WIREFRAME");
    EXPECT_EQ(r[5], "Shademodel (P): FLAT");
    EXPECT_EQ(r[8], "Key's (mode = car): ");
    EXPECT_EQ(r.mid(10), (QStringList{"Forward: (Z / Key_Up)", "Backward: (S / Key_Down)",
                                      "Turn Left: (Q / Key_Left)", "Turn Right: (D / Key_Right)",
                                      "Get out of the car: (Spacebar)", "Change view: (tab)", ""}));
}

TEST(Overlay, WithoutLightsTheRenderModeFollowsTwoEmptyRows) {
    testgl::makeCurrent();
    Map world;
    world.buildOverlayText();
    QStringList r = rows(world);
    EXPECT_EQ(r[0], "Lights:");
    EXPECT_EQ(r[1], "");
    EXPECT_EQ(r[2], "");
    EXPECT_EQ(r[3], "Rendermode (M): FILL");
    EXPECT_EQ(r.size(), 16);
}

} // namespace
