// The per-frame drawing pass on real GL: the lights around each object,
// flashlights at the eye, and a turned girder not turning the objects after it.
#include "scene/girderrect.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

// A blueprint that records which of the first three GL lights are on when drawn.
struct Spy : TObject {
    std::array<bool, 3> seen{};
    void draw(const TObject&, const TextureFactory&) override {
        for (int i = 0; i < 3; ++i)
            seen[i] = glIsEnabled(GL_LIGHT0 + i);
    }
};

TEST(Draw, TheSkyBoxIsLitByTheFirstLightAndTheRestByAllButLightZeroAndFlashlightsFollowTheEye) {
    testgl::makeCurrent();
    TextureFactory store;
    Map world(store);
    world.setCamera(Camera(1, 2, 3, 5, 2, 3, 0, 1, 0)); // looking along +x
    auto* sky = new Spy;
    auto* box = new Spy;
    auto* two = new Light(GL_LIGHT2);
    for (Light* light : {new Light(GL_LIGHT0), new Light(GL_LIGHT1), two}) {
        world.own(light);
        world.addLight(light);
    }
    world.addFlashlight(two);
    two->setSpot(25, 0, 0, 1, 0);
    TObject skyObject, boxObject;
    world.own(sky);
    world.own(box);
    world.addBlueprint("skybox", sky);
    world.addBlueprint("box", box);
    world.addObject("skybox", "skybox", &skyObject);
    world.addObject("box", "b1", &boxObject);
    world.addMobileKey("skybox"); // mobile objects are drawn in the frame itself
    world.addMobileKey("b1");
    world.compileDisplayLists();
    glLoadIdentity(); // as the canvas does before each frame
    world.drawFrame();
    glLoadIdentity();
    EXPECT_EQ(sky->seen, (std::array<bool, 3>{true, false, false}));
    EXPECT_EQ(box->seen, (std::array<bool, 3>{false, true, true}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0) || glIsEnabled(GL_LIGHT1) || glIsEnabled(GL_LIGHT2));
    // GL holds the flashlight in eye coordinates: at the eye, shining along -z.
    GLfloat got[7];
    glGetLightfv(GL_LIGHT2, GL_POSITION, got);
    glGetLightfv(GL_LIGHT2, GL_SPOT_DIRECTION, got + 4);
    const float expected[7] = {0, 0, 0, 1, 0, 0, -4};
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-5) << i;
}

// A girder turns about the world origin; the objects drawn after it, static
// or mobile, must not turn with it.
TEST(Draw, ARotatedGirderDoesNotMoveTheObjectsAfterIt) {
    for (bool mobile : {false, true}) {
        TextureFactory store;
        Map world(store);
        world.setCamera(Camera(0, 0, 10, 0, 0, 0, 0, 1, 0));
        GirderRect girder(2, 2, 2);
        world.addBlueprint("g", &girder);
        TObject turned, plain;
        turned.position = FPoint(3, 2, 0); // drawn first: x 3..5, turned to -5..-3
        turned.rotation = FPoint(0, 180, 0);
        plain.position = FPoint(10, 2, 0); // x 10..12
        world.addObject("g", "a", &turned);
        world.addObject("g", "b", &plain);
        for (const char* key : {"a", "b"})
            if (mobile)
                world.addMobileKey(key);
        world.compileDisplayLists();
        int atTurned = 0, atPlain = 0; // triangles
        for (const testgl::Polygon& p : testgl::capture([&] { world.drawFrame(); })) {
            atTurned += std::all_of(p.begin(), p.end(), [](const testgl::Vertex& v) {
                return v.x < -2.99f && v.x > -5.01f;
            });
            atPlain += std::all_of(p.begin(), p.end(), [](const testgl::Vertex& v) {
                return v.x > 9.99f && v.x < 12.01f;
            });
        }
        EXPECT_EQ(atTurned, 12) << (mobile ? "mobile" : "static");
        EXPECT_EQ(atPlain, 12) << (mobile ? "mobile" : "static");
    }
}
