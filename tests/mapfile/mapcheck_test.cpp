// Map diagnostics: small broken maps read by the loader, with a world and
// only checking, must both print the located line; a textures section after
// the blueprints is still read; the default world's buildings stop the walker.
#include "camera/camera.h"
#include "mapfile/maploader.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

struct BrokenMap {
    std::string map;   // maps/main.xml
    const char* place; // the line starts so ("FILE:LINE:"; columns differ between Qt versions)
    const char* word;  // and holds this
};

std::string repeat(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += text;
    return out;
}

std::string wrap(const char* section, const std::string& body) {
    return std::string("<map><") + section + ">\n" + body + "</" + section + "></map>";
}

// Loads maps/main.xml with a world (and a texture factory of its own) or
// only checking; returns the console.
std::string loadOutput(bool withWorld, TextureFactory* factory = nullptr) {
    testgl::StdoutCapture out;
    if (withWorld) {
        Map world;
        TextureFactory own;
        TextureFactory* global = textureFactory;
        textureFactory = factory ? factory : &own;
        MapLoader(&world).load("maps/main.xml");
        textureFactory = global;
    } else {
        MapLoader(nullptr).load("maps/main.xml");
    }
    return out.text();
}

bool hasLine(const std::string& console, const BrokenMap& row) {
    std::istringstream lines(console);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(row.place, 0) == 0 && line.find(row.word) != std::string::npos)
            return true;
    return false;
}

TEST(MapCheck, EveryMistakeIsNamedWhereItStandsWithAndWithoutAWorld) {
    testgl::makeCurrent();
    testgl::TempWorkDir dir;
    testgl::writePng(dir.path() + "/img.png", 2, 2, 0xff0000ff);
    dir.write("maps/bad.3ds", "not a 3DS file at all");
    dir.write("maps/leak.xml",
              "<blueprints><blueprint type=\"quad\" key=\"leaked\"/></blueprints>");
    ASSERT_EQ(mkfifo((dir.path() + "/maps/fifo.xml").toLocal8Bit().constData(), 0600), 0);
    for (int i = 1; i <= 40; ++i) // a chain 40 files deep
        dir.write(QString("maps/c%1.xml").arg(i),
                  wrap("includes", "<include file=\"c" + std::to_string(i + 1) + ".xml\"/>"));
    for (int i = 0; i < 20; ++i) // 2^20 reads if nothing stops them
        dir.write(
            QString("maps/f%1.xml").arg(i),
            wrap("includes", repeat("<include file=\"f" + std::to_string(i + 1) + ".xml\"/>", 2)));
    const std::string quad = "<blueprint type=\"quad\" key=\"q\">";
    const BrokenMap rows[] = {
        {"<map>\n<a></b></map>", "maps/main.xml:2:", ": fout: "},
        {"<world/>", "maps/main.xml:1:", "niet <map>"},
        {wrap("blueprints", quad + "<textures><texture textureKye=\"t\"/></textures></blueprint>"),
         "maps/main.xml:2:", "bedoelt u textureKey?"},
        {wrap("camera", "<startingPos posx=\"1,5\"/>"),
         "maps/main.xml:2:", "\"1,5\" is geen getal, wordt 0"},
        {wrap("blueprints", quad + "<params width=\"inf\"/></blueprint>"),
         "maps/main.xml:2:", "geen eindig getal"},
        {wrap("blueprints", quad + "<params width=\"0\"/></blueprint>"),
         "maps/main.xml:2:", "niet groter dan 0"},
        {wrap("blueprints",
              quad + "<textures><texture textureKey=\"nope\"/></textures></blueprint>"),
         "maps/main.xml:2:", "\"nope\" is nergens gedefinieerd"},
        {wrap("blueprints", quad + "</blueprint>\n" + quad + "</blueprint>"),
         "maps/main.xml:3:", "\"q\" is al gedefinieerd in maps/main.xml:2:"},
        {wrap("objects", "<object key=\"o\" blueprintKey=\"ghost\"/>"),
         "maps/main.xml:2:", "\"ghost\" is (nog) niet gedefinieerd"},
        {wrap("lights", "<light nr=\"9\"/>"), "maps/main.xml:2:", "niet in 0..7, wordt licht 0"},
        {wrap("lights", "<light><spot radius=\"120\"/></light>"), "maps/main.xml:2:", "0..90"},
        {wrap("lights", "<light><attenuation linear=\"-1\"/></light>"),
         "maps/main.xml:2:", "negatief"},
        {wrap("blueprints", "<blueprint type=\"girder\"><materials><material><shininess "
                            "value=\"64\"/></material></materials></blueprint>"),
         "maps/main.xml:2:", "niet in 0..1"},
        {wrap("camera", "<startingPos posx=\"1\" viewx=\"1\"/>"), "maps/main.xml:2:", "eigen oog"},
        {wrap("textures", "<texture key=\"t\" file=\"none.png\"/>"),
         "maps/main.xml:2:", "\"none.png\" van texture \"t\" bestaat niet"},
        {wrap("blueprints", "<blueprint type=\"smax\" file=\"none.3ds\"/>"),
         "maps/main.xml:2:", "none.3ds bestaat niet"},
        {wrap("blueprints", "<blueprint type=\"smax\" file=\"maps/bad.3ds\"/>"),
         "maps/main.xml:2:", "build/kolvar-3ds maps/bad.3ds"},
        {wrap("textures", repeat("<texture key=\"t\" file=\"img.png\"/>\n", 50) +
                              "<texture key=\"t51\" file=\"img.png\"/>"),
         "maps/main.xml:52:", "\"t51\" wordt geweigerd"},
        {"<map><blueprints/>\n<textures/></map>", "maps/main.xml:2:", "staat na <blueprints>"},
        {wrap("includes", "<include file=\"none.xml\"/>"),
         "maps/main.xml:2:", "none.xml kan niet gelezen worden: bestaat niet"},
        {wrap("includes", "<include file=\"fifo.xml\"/>"),
         "maps/main.xml:2:", "geen gewoon bestand"},
        {"<map>\n" + repeat("<a>", 300) + repeat("</a>", 300) + "</map>",
         "maps/main.xml:2:", "dieper dan 256"},
        {wrap("includes", "<include file=\"c1.xml\"/>"),
         "maps/c31.xml:2:", "meer dan 32 includes diep"},
        {wrap("includes", "<include file=\"f0.xml\"/>"), "maps/f", "te veel bestanden gelezen"},
        // An external entity stays unread, so "leaked" is never defined.
        {"<!DOCTYPE map [<!ENTITY ext SYSTEM \"maps/leak.xml\">]>\n<map>&ext;<objects>\n<object "
         "key=\"o\" blueprintKey=\"leaked\"/></objects></map>",
         "maps/main.xml:3:", "\"leaked\" is (nog) niet gedefinieerd"},
    };
    for (const BrokenMap& row : rows) {
        dir.write("maps/main.xml", row.map);
        EXPECT_TRUE(hasLine(loadOutput(true), row)) << row.map << "\n" << loadOutput(true);
        EXPECT_TRUE(hasLine(loadOutput(false), row)) << row.map << "\n" << loadOutput(false);
    }
}

TEST(MapCheck, ATexturesSectionAfterTheBlueprintsIsStillTheFilesTexturesSection) {
    testgl::makeCurrent();
    testgl::TempWorkDir dir;
    testgl::writePng(dir.path() + "/img.png", 2, 2, 0xff0000ff);
    dir.write("maps/main.xml",
              "<map><blueprints><blueprint type=\"quad\" key=\"q\"><textures>"
              "<texture textureKey=\"late\"/></textures></blueprint></blueprints>"
              "<textures><texture key=\"late\" file=\"img.png\"/></textures></map>");
    TextureFactory factory;
    loadOutput(true, &factory);
    EXPECT_NE(factory.getTextureId("late"), 0u);
    EXPECT_EQ(factory.loadCount(), 1);
}

// Runs from the repository root, where the default world is.
TEST(MapCheck, TheDefaultWorldsHouseAndTowerStopTheWalker) {
    testgl::makeCurrent();
    Map world;
    TextureFactory factory;
    TextureFactory* global = textureFactory;
    textureFactory = &factory;
    {
        testgl::StdoutCapture quiet;
        ASSERT_TRUE(MapLoader(&world).load("maps/basicMap.xml"));
    }
    textureFactory = global;
    struct Walk {
        double x, z;  // start, walking towards -z at eye height 2.5, 0.2 a frame
        double faceZ; // the building's front face
    } walks[] = {{18, 12, 2}, {34, -34, -44}};
    for (const Walk& walk : walks) {
        Camera* camera = new Camera(walk.x, 2.5, walk.z, walk.x, 2.5, walk.z - 1, 0, 1, 0);
        world.setCamera(camera);
        QKeyEvent forward(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier);
        camera->keyPressed(&forward);
        for (int frame = 0; frame < 80; ++frame) { // 16 units if nothing stops it
            glPushMatrix();
            camera->footFrame(&world);
            glPopMatrix();
        }
        EXPECT_GE(camera->eye[2], walk.faceZ) << "walked into the building at x " << walk.x;
        EXPECT_LT(camera->eye[2], walk.faceZ + 0.5) << "stopped short of the building";
    }
}

} // namespace
