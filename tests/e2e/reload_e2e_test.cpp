// A world that follows its files, in the real program's window: the viewer
// walks up to a small textured ground quad; the image is saved anew (in
// place) and the quad changes colour with the viewer where they stood; a
// broken save of the map is named once and the last world stays; a fixed
// save made by renaming a new file over the map brings the world back.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Eye 3 units up at z 40, looking along -z and a little down; the 8 x 8
// quad lies around the origin. Full ambient light: a lit surface shows its
// texture's own colour.
std::string map(const char* image) {
    return std::string(R"(<map>
  <camera><startingPos posx="0" posy="3" posz="40" viewx="0" viewy="2" viewz="35"/></camera>
  <textures><texture key="ground" file="maps/textures/)") +
           image + R"("/></textures>
  <lights><light nr="1" x="0" y="1" z="0" a="0" on="true"><ambient r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="quad" key="ground"><params width="8" height="8"/><textures><texture textureKey="ground"/></textures></blueprint></blueprints>
  <objects><object key="g" blueprintKey="ground"/></objects></map>)";
}

int countOf(const QImage& image, int red, int green, int blue) {
    return e2e::countPixels(image, [&](int r, int g, int b) {
        return std::abs(r - red) < 40 && std::abs(g - green) < 40 && std::abs(b - blue) < 40;
    });
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(ReloadE2e, SavesShowInTheWindowWithTheViewerInPlaceAndABrokenSaveLosesNothing) {
    e2e::Display display;
    testgl::TempWorkDir dir;
    const QString red = dir.path + "/maps/textures/red.png";
    testgl::writeImage(red, 4, 4, [](int, int) { return 0xffff0000u; });
    testgl::writeImage(dir.path + "/maps/textures/green.png", 4, 4,
                       [](int, int) { return 0xff00ff00u; });
    dir.write("maps/basicMap.xml", map("red.png"));
    e2e::Program kolvar(display, dir.path);
    const std::string loaded = "We hebben gedaan de map in te laden";
    ASSERT_TRUE(kolvar.waitForOutput(loaded));
    ASSERT_FALSE(kolvar.window().isEmpty());
    e2e::Program::frames(4);
    const int farAway = countOf(kolvar.shot(), 255, 0, 0);

    // Walk up to the quad: it fills much more of the window.
    kolvar.xdo({"keydown", "w"}); // forward on the US layout of Xvfb
    e2e::Program::frames(20);
    kolvar.xdo({"keyup", "w"});
    e2e::Program::frames(4);
    const int near = countOf(kolvar.shot(), 255, 0, 0);
    ASSERT_GT(near, 2 * farAway + 1000) << "the walk did not come closer";

    // The image saved anew in place: the quad turns blue where it was red.
    testgl::writeImage(red, 4, 4, [](int, int) { return 0xff0000ffu; });
    ASSERT_TRUE(kolvar.waitForCount(loaded, 2)) << kolvar.output();
    e2e::Program::frames(6);
    const QImage reloaded = kolvar.shot();
    EXPECT_EQ(countOf(reloaded, 255, 0, 0), 0);
    const int blue = countOf(reloaded, 0, 0, 255);
    EXPECT_NEAR(blue, near, near / 10) << "the viewer moved: " << blue << " against " << near;

    // A broken save: named once, and the last world stays on screen.
    dir.write("maps/basicMap.xml", "<map><camera></map>");
    ASSERT_TRUE(kolvar.waitForCount(loaded, 3)) << kolvar.output();
    e2e::Program::frames(6);
    const std::string console = kolvar.output();
    EXPECT_EQ(occurrences(console, "maps/basicMap.xml:1:"), 1) << console;
    EXPECT_EQ(occurrences(console, "XMLHANDLER LOAD maps/basicMap.xml"), 1) << console;
    // The overlay has two rows more now, over the top of the picture.
    EXPECT_NEAR(countOf(kolvar.shot(), 0, 0, 255), blue, blue / 10);

    // Fixed by a save that writes a new file and renames it over the map.
    dir.write("maps/basicMap.xml.new", map("green.png"));
    ASSERT_EQ(std::rename(QFile::encodeName(dir.path + "/maps/basicMap.xml.new").constData(),
                          QFile::encodeName(dir.path + "/maps/basicMap.xml").constData()),
              0);
    ASSERT_TRUE(kolvar.waitForCount(loaded, 4)) << kolvar.output();
    e2e::Program::frames(6);
    EXPECT_NEAR(countOf(kolvar.shot(), 0, 255, 0), blue, blue / 10) << kolvar.output();
}

// A world split in two, as authors split it: the top map names the images,
// the include holds the pad's blueprint (with its own <textures>) and
// object. Files that editors make beside the maps load nothing; a
// half-saved include keeps the pad on screen; the save that mends it shows;
// an include the top map names before it exists is seen when it appears.
TEST(ReloadE2e, OnlyTheWorldsFilesReloadAndAHalfSavedIncludeKeepsTheWorld) {
    e2e::Display display;
    // The lit pad is darker than its image: judged by its hue.
    const auto reddish = [](const QImage& shot) {
        return e2e::countPixels(
            shot, [](int r, int g, int b) { return r > 30 && g < r / 3 && b < r / 3; });
    };
    const auto greenish = [](const QImage& shot) {
        return e2e::countPixels(
            shot, [](int r, int g, int b) { return g > 30 && r < g / 3 && b < g / 3; });
    };
    testgl::TempWorkDir dir;
    testgl::writeImage(dir.path + "/maps/textures/red.png", 4, 4,
                       [](int, int) { return 0xffff0000u; });
    testgl::writeImage(dir.path + "/maps/textures/green.png", 4, 4,
                       [](int, int) { return 0xff00ff00u; });
    auto top = [](const char* includes) {
        return std::string("<map><includes>") + includes + R"(</includes>
  <camera><startingPos posx="0" posy="3" posz="20" viewx="0" viewy="2" viewz="15"/></camera>
  <textures><texture key="red" file="maps/textures/red.png"/>
    <texture key="green" file="maps/textures/green.png"/></textures>
  <lights><light nr="1" x="0" y="1" z="0" a="0" on="true"><ambient r="1" g="1" b="1" a="1"/></light></lights>
</map>)";
    };
    auto pads = [](const char* texture) {
        return std::string(R"(<map><blueprints>
  <blueprint type="quad" key="pad"><params width="8" height="8"/>
    <textures><texture textureKey=")") +
               texture + R"("/></textures></blueprint>
</blueprints><objects><object key="p" blueprintKey="pad"/></objects></map>)";
    };
    dir.write("maps/basicMap.xml", top(R"(<include file="pads.xml"/>)"));
    dir.write("maps/pads.xml", pads("red"));
    e2e::Program kolvar(display, dir.path);
    const std::string loaded = "We hebben gedaan de map in te laden";
    ASSERT_TRUE(kolvar.waitForOutput(loaded));
    ASSERT_FALSE(kolvar.window().isEmpty());
    e2e::Program::frames(4);
    // On a loaded machine the first frames may come late.
    int pad = 0;
    for (int wait = 0; wait < 100 && (pad = reddish(kolvar.shot())) <= 2000; ++wait)
        e2e::Program::frames(2);
    ASSERT_GT(pad, 2000) << kolvar.output();
    EXPECT_EQ(occurrences(kolvar.output(), ": fout: "), 0) << kolvar.output();

    // Notes, an editor's swap file and lock, an image no map names.
    dir.write("maps/notes.txt", "todo");
    dir.write("maps/.pads.xml.swp", "swap");
    ASSERT_EQ(::symlink("me@host.1234", QFile::encodeName(dir.path + "/maps/.#pads.xml")), 0);
    testgl::writeImage(dir.path + "/maps/textures/unused.png", 4, 4,
                       [](int, int) { return 0xff0000ffu; });
    QFile::remove(dir.path + "/maps/notes.txt");
    EXPECT_FALSE(kolvar.waitForCount(loaded, 2, 5000)) << kolvar.output();

    // Half of the include saved: named once, and the pad stays.
    const std::string whole = pads("green");
    dir.write("maps/pads.xml", whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(kolvar.waitForCount(loaded, 2)) << kolvar.output();
    e2e::Program::frames(6);
    EXPECT_EQ(occurrences(kolvar.output(), ": fout: "), 1) << kolvar.output();
    EXPECT_NEAR(reddish(kolvar.shot()), pad, pad / 10) << kolvar.output();

    // The rest of the save: the pad turns green.
    dir.write("maps/pads.xml", whole);
    ASSERT_TRUE(kolvar.waitForCount(loaded, 3)) << kolvar.output();
    e2e::Program::frames(6);
    EXPECT_NEAR(greenish(kolvar.shot()), pad, pad / 10) << kolvar.output();

    // The top map names an include not written yet: the world stays, and
    // the include's first save is seen.
    dir.write("maps/basicMap.xml", top(R"(<include file="pads.xml"/><include file="extra.xml"/>)"));
    ASSERT_TRUE(kolvar.waitForCount(loaded, 4)) << kolvar.output();
    dir.write("maps/extra.xml", "<map/>");
    ASSERT_TRUE(kolvar.waitForCount(loaded, 5)) << kolvar.output();
    e2e::Program::frames(6);
    EXPECT_NEAR(greenish(kolvar.shot()), pad, pad / 10) << kolvar.output();
}
