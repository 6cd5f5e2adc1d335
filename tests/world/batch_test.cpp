// Static objects drawn from batched lists give the picture of the same
// objects drawn one by one, and objects out of view are left out.
#include "scene/girderrect.h"
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <GL/glu.h>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr int kSize = 96; // pixels a side

struct CountingBox : GirderRect {
    using GirderRect::GirderRect;
    int draws = 0;
    void draw(const TObject& placement, const TextureFactory& textures) override {
        ++draws, GirderRect::draw(placement, textures);
    }
};

// A placed object the world owns.
TObject* at(Map& world, float x, float y, float z, float turnY = 0) {
    auto* object = new TObject;
    world.own(object);
    object->position = FPoint(x, y, z);
    object->rotation.y = turnY;
    return object;
}

// Renders one frame of world into the test widget and returns its RGB pixels.
std::vector<unsigned char> render(Map& world) {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, 1.0, 1.0, 750.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.drawFrame();
    std::vector<unsigned char> pixels(kSize * kSize * 3);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST(Batching, TheBatchedWorldDrawsThePictureOfObjectByObjectDrawing) {
    QTemporaryDir dir;
    TextureFactory store;
    for (auto [key, argb] :
         {std::pair{"bt-r", 0xffff0000u}, {"bt-b", 0xff0000ffu}, {"bt-g", 0xff00ff00u}}) {
        // The ground's picture is half black, so its texture coordinates show.
        const bool ground = std::strcmp(key, "bt-g") == 0;
        testgl::writeImage(dir.path() + "/" + key + ".png", 2, 2,
                           [=](int x, int) { return ground && x ? 0xff000000u : argb; });
        store.loadTexture(key, (dir.path() + "/" + key + ".png").toStdString());
    }
    std::vector<unsigned char> pictures[2];
    for (int mobile = 0; mobile < 2; ++mobile) {
        auto* box = new GirderRect(2, 2, 2);
        box->setTextureAll("bt-r");
        box->setTexture(SideTop, "bt-b"); // a texture change inside each box
        auto* ground = new Quad;          // wide enough to be cut into tiles
        ground->width = ground->height = 80;
        ground->setTexture("bt-g");
        Map world(store);
        world.own(box);
        world.own(ground);
        world.setLighting(false);
        world.setCamera(Camera(0, 6, 20, 0, 0, 0, 0, 1, 0));
        world.addBlueprint("box", box);
        world.addBlueprint("ground", ground);
        world.addObject("ground", "e", at(world, 0, -2, 0));
        // "b" turns about the world origin; "c" and "d" after it must not turn with it.
        const float x[] = {-7, -2, 2, 6};
        for (int i = 0; i < 4; ++i)
            world.addObject("box", std::string(1, char('a' + i)),
                            at(world, x[i], 0, 0, i == 1 ? 30 : 0));
        for (const char* key : {"a", "b", "c", "d", "e"})
            if (mobile) // drawn directly, one by one, as before any batching
                world.addMobileKey(key);
        world.compileDisplayLists();
        pictures[mobile] = render(world);
    }
    int red = 0, green = 0, differing = 0;
    for (std::size_t i = 0; i < pictures[0].size(); i += 3) {
        red += pictures[0][i] > 200 && pictures[0][i + 1] < 50 && pictures[0][i + 2] < 50;
        green += pictures[0][i + 1] > 200 && pictures[0][i] < 50;
        differing += std::memcmp(&pictures[0][i], &pictures[1][i], 3) != 0;
    }
    EXPECT_GT(red, 200);
    EXPECT_GT(green, kSize * kSize / 10);
    EXPECT_LE(differing, 2) << "pixels that differ between batched and direct drawing";
}

TEST(Batching, ObjectsOutsideTheViewAreNotDrawnAndThoseInsideAre) {
    auto* box = new CountingBox(2, 2, 2);
    TextureFactory store;
    Map world(store);
    world.own(box);
    world.setCamera(Camera(0, 0, 20, 0, 0, 0, 0, 1, 0)); // looking along -z
    world.addBlueprint("box", box);
    world.addObject("box", "ahead", at(world, 0, 0, 0));
    world.addObject("box", "behind", at(world, 0, 0, 40));
    // Stands behind, but turns half round the world origin: drawn ahead at z -40.
    world.addObject("box", "turned", at(world, 0, 0, 40, 180));
    world.addObject("box", "static_ahead", at(world, -3, 0, -10));
    world.addObject("box", "static_behind", at(world, 0, 0, 80));
    for (int i = 1; i <= 7; ++i) // in the same batch: its sphere must stay behind the viewer
        world.addObject("box", "static_behind" + std::to_string(i),
                        at(world, 3.0f * i, 0, 80.0f + i));
    for (const char* key : {"ahead", "behind", "turned"})
        world.addMobileKey(key);
    world.compileDisplayLists();
    render(world);
    EXPECT_EQ(box->draws, 2);              // the mobile boxes "ahead" and "turned"
    EXPECT_EQ(world.culledLastFrame(), 2); // "behind" and the static list behind the viewer
}

// A 60 x 60 ground placed first, then quads that do not fit the world's cell
// budget (4000000 cells of 2 x 2) below it, seen from 120 up: the ground is
// drawn, the refused quads are neither compiled nor drawn (their batch was
// once left without its objects' marks, and the first frame crashed), and the
// budget goes by load order, not by key order ("big" before "ground").
TEST(Batching, QuadsOverTheCellBudgetAreRefusedInLoadOrderAndTheRestIsDrawn) {
    const struct {
        const char* what;
        float width, height;
        int count;
    } cases[] = {
        {"one of 3999 x 3999", 3999, 3999, 1},
        {"eight of 3999 x 3999", 3999, 3999, 8},
        {"one 1e9 wide", 1e9f, 10, 1},
        {"one -1e9 high", 10, -1e9f, 1},
    };
    for (const auto& c : cases) {
        TextureFactory store;
        Map world(store);
        Quad ground, big;
        ground.width = ground.height = 60;
        ground.textured = false;
        big.width = c.width;
        big.height = c.height;
        big.textured = false;
        ground.name = "ground"; // as the builder names them
        big.name = "big";
        world.addBlueprint("ground", &ground);
        world.addBlueprint("big", &big);
        world.addObject("ground", "g", at(world, 0, -1, 0)); // raised 1: y 0
        for (int i = 0; i < c.count; ++i)
            world.addObject("big", "b" + std::to_string(i), at(world, 0, -3, 0));
        world.setLighting(false);
        world.setCamera(Camera(0, 120, 0, 0, 0, 0, 0, 0, -1)); // looking down
        glClearColor(0, 0, 0, 0);
        glColor3f(1, 1, 1);
        testgl::StdoutCapture out;
        const std::vector<unsigned char> picture = render(world);
        // The ground spans the middle third of the picture; the corners see past it.
        const std::size_t middle = (kSize / 2 * kSize + kSize / 2) * 3,
                          corner = (2 * kSize + 2) * 3;
        EXPECT_EQ(picture[middle], 255) << c.what << ": the ground is drawn";
        EXPECT_EQ(picture[corner], 0) << c.what << ": a refused quad is drawn";
        const std::string text = out.text();
        EXPECT_EQ(text.find("Quad ground"), std::string::npos) << c.what << "\n" << text;
        const std::size_t named = text.find("Quad big");
        EXPECT_NE(named, std::string::npos) << c.what << "\n" << text;
        EXPECT_EQ(text.find("Quad big", named + 1), std::string::npos) << c.what << ": named once\n"
                                                                       << text;
    }
}

} // namespace
