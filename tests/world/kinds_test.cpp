// Every blueprint kind of the format table, read from a real map: it is built,
// and what it draws has bounds, so that the frame skips it out of view.
#include "mapfile/mapformat.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <map>

// A kind added to the table without being built, or whose scene object does
// not say what it covers, is drawn everywhere or not at all: this catches both.
TEST(Kinds, EachKindIsBuiltAndSkippedBehindTheViewer) {
    // A blueprint of each kind, keyed "it" unless the kind needs its own key.
    const std::map<QString, std::pair<std::string, std::string>> blueprints = {
        {"smax", {"it", R"(file="it.3ds">)"}},
        {"girder", {"it", R"(><params subtype="rect" width="1" height="1" depth="1"/>)"}},
        {"quad", {"it", R"(><params width="2" height="2"/>)"}},
        {"road", {"road_flat_Z", R"(subtype="flat"><params direction="Z"/>)"}},
    };
    for (const QString& kind : MapFormat::kindNames()) {
        const auto row = blueprints.find(kind);
        ASSERT_NE(row, blueprints.end()) << "no row for the kind " << kind.toStdString();
        const auto& [key, body] = row->second;
        testgl::TempWorkDir dir;
        dir.write("it.3ds", fx::file(fx::material("m", 1, 0, 0) + fx::triangle("t")));
        const std::string blueprint = "<blueprint type=\"" + kind.toStdString() + "\" key=\"" +
                                      key + "\" " + body + "</blueprint>";
        for (const float z : {-20.0f, 100.0f}) { // ahead of the viewer, behind
            dir.write("maps/main.xml",
                      "<map><camera><startingPos posx=\"0\" posy=\"2\" posz=\"0\" viewx=\"0\" "
                      "viewy=\"2\" viewz=\"-5\"/></camera><blueprints>" +
                          blueprint + "</blueprints><objects><object key=\"o\" blueprintKey=\"" +
                          key + "\"><pos z=\"" + std::to_string(z) + "\"/></object></objects></map>");
            testgl::makeCurrent();
            testgl::StdoutCapture out;
            TextureFactory store;
            Map world(store);
            const LoadReport report = WorldBuilder::load("maps/main.xml", world, store);
            EXPECT_EQ(report.errors + report.warnings, 0) << out.text();
            ASSERT_EQ(world.objectCount(), 1u) << kind.toStdString();
            glViewport(0, 0, 64, 64);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(Map::kFieldOfViewDegrees, 1.0, Map::kNearPlane, Map::kFarPlane);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            world.drawFrame();
            EXPECT_EQ(world.culledLastFrame(), z > 0 ? 1 : 0) << kind.toStdString() << " at " << z;
        }
    }
}
