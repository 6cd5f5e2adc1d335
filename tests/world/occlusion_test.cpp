// Occlusion culling on real GL: worlds drawn with it give the very pixels of
// the same worlds drawn without it, in the same context, while it skips what
// is hidden; and picking still finds a car that the drawing skips.
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <GL/glu.h>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

constexpr int kWidth = 320, kHeight = 240; // pixels, the test widget's size

// One frame of world as the canvas draws it; its RGB pixels.
std::vector<unsigned char> render(Map& world) {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Map::kFieldOfViewDegrees, double(kWidth) / kHeight, Map::kNearPlane,
                   Map::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.drawFrame();
    glLoadIdentity();
    std::vector<unsigned char> pixels(kWidth * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// A world behind a wall: cubes in rows, a car in front of the wall and
// cars behind it, the ground under all, and 3DS models (trees, houses) in
// rows behind each other. The viewer looks along -z from (0, 2.5, 35).
std::string crowdMap() {
    std::ostringstream map;
    map << R"(<map><camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5"
        viewz="30"/></camera>
      <lights><light nr="1" x="0.4" y="1" z="0.6" a="0" on="true">
        <ambient r="0.5" g="0.5" b="0.5" a="1"/><diffuse r="0.6" g="0.6" b="0.5" a="1"/>
      </light></lights>
      <textures><texture key="grass" file="maps/textures/grass.png"/>
        <texture key="crate" file="maps/textures/crate.png"/>
        <texture key="brick" file="maps/textures/brick.png"/></textures>
      <blueprints>
        <blueprint type="girder" key="cube"><boundingBox width="1.5" height="1.5" depth="1.5"/>
          <params subtype="cube" width="1.5"/>
          <textures><texture side="all" textureKey="crate"/></textures></blueprint>
        <blueprint type="girder" key="wall"><boundingBox width="12" height="5" depth="1"/>
          <params subtype="rect" width="12" height="5" depth="1"/>
          <textures><texture side="all" textureKey="brick"/></textures></blueprint>
        <blueprint type="quad" key="ground"><params width="240" height="240"/>
          <textures><texture textureKey="grass"/></textures></blueprint>
        <blueprint type="smax" key="car" file="maps/models/car_red.3ds">
          <boundingBox width="1.6" height="1.2" depth="3.6"/></blueprint>
        <blueprint type="smax" key="tree" file="maps/models/tree.3ds">
          <boundingBox width="0.8" height="8" depth="0.8"/></blueprint>
        <blueprint type="smax" key="house" file="maps/models/house.3ds">
          <boundingBox width="6" height="10" depth="6"/></blueprint>
      </blueprints><objects>
        <object key="ground" blueprintKey="ground"><pos x="0" y="-0.95" z="0"/></object>
        <object key="wall" blueprintKey="wall"><pos x="-6" y="3" z="22"/></object>
        <object key="car0" blueprintKey="car" mobile="true"><pos x="4" y="-0.9" z="26"/></object>
)";
    for (int i = 1; i < 6; ++i) // behind the wall
        map << "<object key=\"car" << i << "\" blueprintKey=\"car\" mobile=\"true\"><pos x=\""
            << (i - 3) * 1.5 << "\" y=\"-0.9\" z=\"" << 18 - i << "\"/></object>\n";
    for (int i = 0; i < 400; ++i)
        map << "<object key=\"cube" << i << "\" blueprintKey=\"cube\"><pos x=\""
            << (i % 20 - 10) * 4 << "\" y=\"0.5\" z=\"" << 10 - (i / 20) * 4 << "\"/></object>\n";
    for (int i = 0; i < 12; ++i) // rows of houses with trees between, far off to the left
        map << "<object key=\"house" << i << "\" blueprintKey=\"house\"><pos x=\"-30\" y=\"0\" z=\""
            << -10 - i * 8 << "\"/></object>\n<object key=\"tree" << i
            << "\" blueprintKey=\"tree\"><pos x=\"-31\" y=\"0\" z=\"" << -14 - i * 8
            << "\"/></object>\n";
    map << "</objects></map>\n";
    return map.str();
}

// Loads a map with the repository as the working directory (its textures
// and models) into world, its textures into factory; file is relative to it
// or absolute.
void load(Map& world, TextureFactory& factory, const QString& file) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(qEnvironmentVariable("KOLVAR_SOURCE_DIR"));
    testgl::StdoutCapture quiet;
    WorldBuilder::load(file, world, factory);
    world.compileDisplayLists();
    QDir::setCurrent(previous);
}

// The crowd map written into dir; its path, or empty when it cannot be written.
QString writeCrowd(const QTemporaryDir& dir) {
    QFile file(dir.path() + "/crowd.xml");
    if (!file.open(QIODevice::WriteOnly) || file.write(crowdMap().c_str()) < 0)
        return QString();
    return file.fileName();
}

} // namespace

// Each world drawn without occlusion culling, then with it for a few frames
// (the first draws all, the next skip what the one before found hidden):
// the pictures are the same to the byte and show the world, and the crowd
// world skips some of its units.
TEST(Occlusion, TheWorldsLookTheSameWithAndWithoutItWhileHiddenUnitsAreSkipped) {
    testgl::makeCurrent();
    QTemporaryDir dir;
    const QString crowd = writeCrowd(dir);
    ASSERT_FALSE(crowd.isEmpty());
    struct Row {
        const char* name;
        QString map;
        double eye[3], centre[3];
        int minHidden; // units the culling must skip
    };
    const Row rows[] = {
        {"default world", "maps/basicMap.xml", {0, 2.5, 35}, {0, 2.5, 30}, 0},
        {"default world, from the town's edge",
         "maps/basicMap.xml",
         {-20, 2.5, 10},
         {0, 2.5, -30},
         0},
        {"crowd behind a wall", crowd, {0, 2.5, 35}, {0, 2.5, 30}, 20},
        {"models in rows", crowd, {-30, 3, 8}, {-30, 3, -20}, 4},
    };
    for (const Row& row : rows) {
        TextureFactory factory;
        Map world(factory);
        load(world, factory, row.map);
        world.setCamera(Camera(row.eye[0], row.eye[1], row.eye[2], row.centre[0], row.centre[1],
                               row.centre[2], 0, 1, 0));
        world.occlusion().enabled = false;
        const std::vector<unsigned char> all = render(world);
        world.occlusion().enabled = true;
        std::vector<unsigned char> culled;
        for (int frame = 0; frame < 3; ++frame)
            culled = render(world);
        int hidden = world.occlusion().hiddenLastFrame;
        int shown = 0; // pixels that are not the black background
        for (std::size_t i = 0; i < all.size(); i += 3)
            shown += all[i] || all[i + 1] || all[i + 2];
        EXPECT_GT(shown, kWidth * kHeight / 2) << row.name;
        EXPECT_TRUE(all == culled) << row.name;
        EXPECT_GE(hidden, row.minHidden) << row.name;
        // Switched off again, all is drawn: no unit stays behind as hidden.
        world.occlusion().enabled = false;
        EXPECT_TRUE(render(world) == all) << row.name;
        EXPECT_EQ(world.occlusion().hiddenLastFrame, 0) << row.name;
    }
}

// The cars behind the wall are skipped by the drawing, yet a click on the
// wall in front of them drives the nearest of them: selection draws all.
TEST(Occlusion, PickingFindsACarTheDrawingSkipsBehindTheWall) {
    testgl::makeCurrent();
    QTemporaryDir dir;
    const QString crowd = writeCrowd(dir);
    ASSERT_FALSE(crowd.isEmpty());
    TextureFactory factory;
    Map world(factory);
    load(world, factory, crowd);
    for (int frame = 0; frame < 3; ++frame)
        render(world);
    ASSERT_GT(world.occlusion().hiddenLastFrame, 0);
    // The car at x 0 behind the wall (z 15) is hidden; the pick region is
    // the centre of the view, on the wall.
    testgl::StdoutCapture out;
    world.pick(kWidth / 2, kHeight / 2 + 30); // 1.8 below the eye at 20 units
    glLoadIdentity();
    ASSERT_TRUE(world.camera().isInCar()) << out.text();
    EXPECT_EQ(world.camera().tracker.object, world.findObject("car3")) << out.text();
}
