// Map files written into a temporary working directory and read through the
// loader: include order and what wins, include paths, cycles, and includes
// that are missing or broken.
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <gtest/gtest.h>

// Loads maps/main.xml of the working directory into world; the lights' GL
// numbers in load order, then what the loader printed.
static std::pair<std::vector<int>, std::string> load(Map& world) {
    testgl::makeCurrent();
    testgl::StdoutCapture out;
    EXPECT_FALSE(WorldBuilder::load("maps/main.xml", world, world.textureStore()).lost);
    std::vector<int> lights;
    for (const Light* light : world.lightList())
        lights.push_back(int(light->lightId - GL_LIGHT0));
    return {lights, out.text()};
}

static std::string quad(const char* key, int width) {
    return std::string("<blueprint type=\"quad\" key=\"") + key + "\"><params width=\"" +
           std::to_string(width) + "\" height=\"2\"/></blueprint>";
}

TEST(MapLoader, IncludesAreReadDepthFirstFromMapsAndLaterDefinitionsWin) {
    testgl::TempWorkDir dir;
    dir.write("maps/main.xml",
              "<map><includes><include file=\"a.xml\"/><include file=\"x/b.xml\"/></includes>"
              "<camera><startingPos posx=\"3\"/></camera><lights><light nr=\"3\"/></lights>"
              "<blueprints>" +
                  quad("mine", 3) + quad("both", 30) + "</blueprints></map>");
    dir.write("maps/a.xml",
              "<map><camera><startingPos posx=\"1\"/></camera><lights><light nr=\"1\"/></lights>"
              "<blueprints>" +
                  quad("shared", 1) + quad("both", 10) + "</blueprints></map>");
    // Include paths start at maps/ wherever the including file is.
    dir.write("maps/x/b.xml", "<map><includes><include file=\"c.xml\"/></includes>"
                              "<blueprints>" +
                                  quad("shared", 2) + "</blueprints></map>");
    dir.write("maps/c.xml", "<map><lights><light nr=\"2\"/></lights></map>");
    dir.write("maps/x/c.xml", "<map><lights><light nr=\"5\"/></lights></map>");
    TextureFactory store;
    Map world(store);
    EXPECT_EQ(load(world).first, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(world.camera().eye[0], 3); // the including file's camera wins
    auto width = [&](const char* key) {
        return dynamic_cast<Quad&>(*world.getBlueprint(key)).width;
    };
    EXPECT_EQ(width("shared"), 2); // the second include wins over the first
    EXPECT_EQ(width("both"), 30);  // the including file wins over both
    EXPECT_EQ(width("mine"), 3);
}

TEST(MapLoader, ACycleIsCutADiamondIsReadTwiceAndBadIncludesAreSkipped) {
    testgl::TempWorkDir dir;
    dir.write("maps/main.xml", "<map><includes><include file=\"a.xml\"/><include file=\"b.xml\"/>"
                               "<include file=\"missing.xml\"/><include file=\"broken.xml\"/>"
                               "<include/></includes><lights><light nr=\"6\"/></lights></map>");
    dir.write("maps/a.xml", "<map><includes><include file=\"c.xml\"/><include file=\"a.xml\"/>"
                            "</includes></map>");
    dir.write("maps/b.xml", "<map><includes><include file=\"c.xml\"/></includes></map>");
    dir.write("maps/c.xml", "<map><includes><include file=\"main.xml\"/></includes>"
                            "<lights><light nr=\"1\"/></lights></map>");
    dir.write("maps/broken.xml", "<map><lights></map>");
    TextureFactory store;
    Map world(store);
    const auto [lights, console] = load(world);
    EXPECT_EQ(lights, (std::vector<int>{1, 1, 6}));
    for (const char* named : {"maps/main.xml", "maps/a.xml", "maps/broken.xml"})
        EXPECT_NE(console.find(named), std::string::npos) << named << " is reported\n" << console;
}
