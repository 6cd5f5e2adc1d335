// The builder makes the world in the data's order: a key defined again wins
// over the earlier definition, so an including file wins over its includes,
// and a later include over an earlier one; lights get their GL numbers.
#include "scene/light.h"
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <gtest/gtest.h>

TEST(WorldBuilder, LaterDefinitionsWinInTheOrderOfTheIncludes) {
    testgl::makeCurrent();
    testgl::TempWorkDir dir;
    auto quad = [](const char* key, int width) {
        return std::string("<blueprint type=\"quad\" key=\"") + key + "\"><params width=\"" +
               std::to_string(width) + "\" height=\"2\"/></blueprint>";
    };
    dir.write("maps/main.xml",
              "<map><includes><include file=\"a.xml\"/><include file=\"b.xml\"/></includes>"
              "<camera><startingPos posx=\"3\"/></camera><lights><light nr=\"3\"/></lights>"
              "<blueprints>" +
                  quad("both", 30) + "</blueprints></map>");
    dir.write("maps/a.xml", "<map><camera><startingPos posx=\"1\"/></camera><lights><light "
                            "nr=\"1\"/></lights><blueprints>" +
                                quad("shared", 1) + quad("both", 10) + "</blueprints></map>");
    dir.write("maps/b.xml", "<map><blueprints>" + quad("shared", 2) + "</blueprints></map>");
    TextureFactory store;
    Map world(store);
    {
        testgl::StdoutCapture quiet;
        ASSERT_FALSE(WorldBuilder::load("maps/main.xml", world, store).lost);
    }
    std::vector<int> lights;
    for (const Light* light : world.lightList())
        lights.push_back(int(light->lightId - GL_LIGHT0));
    EXPECT_EQ(lights, (std::vector<int>{1, 3}));
    EXPECT_EQ(world.camera().eye[0], 3); // the including file's camera wins
    auto width = [&](const char* key) {
        return dynamic_cast<Quad&>(*world.getBlueprint(key)).width;
    };
    EXPECT_EQ(width("shared"), 2); // the second include wins over the first
    EXPECT_EQ(width("both"), 30);  // the including file wins over both
}
