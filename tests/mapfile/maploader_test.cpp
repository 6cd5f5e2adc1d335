// Map files written into a temporary working directory and read by the
// loader into plain map data: include order and paths, cycles, includes that
// are missing or broken, and what is a section and what is not.
#include "mapfile/mapcheck.h"
#include "mapfile/maploader.h"
#include "tests/support/gltest.h"

#include <gtest/gtest.h>

namespace {

// Reads maps/main.xml of the working directory; what the loader printed is
// in console.
struct Read {
    MapLoader loader;
    std::string console;
    Read() {
        testgl::StdoutCapture out;
        loader.load("maps/main.xml");
        console = out.text();
    }
    // The files read, in build order, as "path:light numbers;...".
    std::vector<std::string> files() const {
        std::vector<std::string> found;
        for (const mapdata::File& file : loader.data().files) {
            std::string entry = file.path.toStdString() + (file.read ? ":" : ":lost");
            for (const mapdata::Light& light : file.lights)
                entry += std::to_string(light.nr);
            found.push_back(entry);
        }
        return found;
    }
};

std::string quad(const char* key, int width) {
    return std::string("<blueprint type=\"quad\" key=\"") + key + "\"><params width=\"" +
           std::to_string(width) + "\" height=\"2\"/></blueprint>";
}

} // namespace

TEST(MapLoader, IncludesAreReadDepthFirstFromMapsBeforeTheFileThatNamesThem) {
    testgl::TempWorkDir dir;
    dir.write("maps/main.xml",
              "<map><includes><include file=\"a.xml\"/><include file=\"x/b.xml\"/></includes>"
              "<camera><startingPos posx=\"3\"/></camera><lights><light nr=\"3\"/></lights>"
              "<blueprints>" +
                  quad("mine", 3) + "</blueprints></map>");
    dir.write("maps/a.xml", "<map><lights><light nr=\"1\"/></lights></map>");
    // Include paths start at maps/ wherever the including file is.
    dir.write("maps/x/b.xml", "<map><includes><include file=\"c.xml\"/></includes></map>");
    dir.write("maps/c.xml", "<map><lights><light nr=\"2\"/></lights></map>");
    dir.write("maps/x/c.xml", "<map><lights><light nr=\"5\"/></lights></map>");
    const Read read;
    EXPECT_EQ(read.files(), (std::vector<std::string>{"maps/a.xml:1", "maps/c.xml:2",
                                                      "maps/x/b.xml:", "maps/main.xml:3"}));
    const mapdata::File& main = read.loader.data().files.back();
    ASSERT_EQ(main.cameras.size(), 1u);
    EXPECT_EQ(main.cameras[0].pos[0], 3);
    ASSERT_EQ(main.blueprints.size(), 1u);
    ASSERT_NE(main.blueprints[0].as<mapdata::QuadParams>(), nullptr);
    EXPECT_EQ(main.blueprints[0].as<mapdata::QuadParams>()->width, 3);
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
    const Read read;
    EXPECT_FALSE(read.loader.data().lost);
    EXPECT_EQ(read.files(),
              (std::vector<std::string>{"maps/c.xml:1", "maps/a.xml:", "maps/c.xml:1",
                                        "maps/b.xml:", "maps/missing.xml:lost",
                                        "maps/broken.xml:lost", "maps/:lost", "maps/main.xml:6"}));
    for (const char* named : {"maps/main.xml", "maps/a.xml", "maps/broken.xml"})
        EXPECT_NE(read.console.find(named), std::string::npos) << named << " is reported\n"
                                                               << read.console;
}

// Nothing inside an item element is a section, wherever it stands: an
// include of blueprints and objects with their own <textures>, and no
// textures section, is a clean map.
TEST(MapLoader, NothingInsideAnItemIsASection) {
    const std::string blueprint = "<blueprint type=\"quad\" key=\"q\"><params width=\"2\" "
                                  "height=\"2\"/><textures><texture textureKey=\"t\"/>"
                                  "</textures></blueprint>";
    const struct {
        std::string include; // maps/inc.xml; maps/main.xml names the texture t
        int textures;        // texture items read from the include
        int warnings;
    } rows[] = {
        {"<map><blueprints>" + blueprint +
             "</blueprints><objects><object key=\"o\" "
             "blueprintKey=\"q\"/></objects></map>",
         0, 0},
        // A girder's side textures and a light's colours are no sections either.
        {"<map><blueprints><blueprint type=\"girder\" key=\"g\"><params subtype=\"cube\" "
         "width=\"1\"/><textures><texture side=\"all\" textureKey=\"t\"/></textures>"
         "</blueprint></blueprints><lights><light nr=\"0\"><camera/></light></lights></map>",
         0, 1},
        // A section under another element than the root is still read, with a warning.
        {"<map><group><textures><texture key=\"u\" file=\"t.png\"/></textures></group></map>", 1,
         2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.include);
        testgl::TempWorkDir dir;
        testgl::writeImage("t.png", 2, 2, [](int, int) { return 0xff00ff00u; });
        dir.write("maps/inc.xml", row.include);
        dir.write("maps/main.xml",
                  "<map><includes><include file=\"inc.xml\"/></includes>"
                  "<textures><texture key=\"t\" file=\"t.png\"/></textures></map>");
        Read read;
        MapCheck::check(read.loader.data(), read.loader.diagnostics());
        const mapdata::File& include = read.loader.data().files.front();
        EXPECT_EQ(int(include.textures.size()), row.textures);
        EXPECT_EQ(read.loader.diagnostics().errors, 0) << read.console;
        EXPECT_EQ(read.loader.diagnostics().warnings, row.warnings) << read.console;
    }
}
