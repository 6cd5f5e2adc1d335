// Map files written by the test into a temporary working directory and read
// through the loader: section order, includes, camera, textures, objects.
#include "mapfile/maploader.h"
#include "scene/quad.h"
#include "textures/texturefactory.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <gtest/gtest.h>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override { testgl::makeCurrent(); }
    bool load(const char* file = "maps/main.xml") { return MapLoader(&world).load(file); }
    float quadWidth(const std::string& key) {
        auto* quad = dynamic_cast<Quad*>(world.getBlueprint(key));
        return quad ? quad->width : -1;
    }
    std::vector<GLenum> lightIds() {
        std::vector<GLenum> ids;
        for (Light* light : world.lights)
            ids.push_back(light->lightId);
        return ids;
    }
    testgl::TempWorkDir dir;
    Map world;
};

std::string quadBlueprint(const char* key, int width) {
    return std::string("<blueprint type=\"quad\" key=\"") + key + "\"><params width=\"" +
           std::to_string(width) + "\" height=\"2\"/></blueprint>";
}

TEST_F(LoaderTest, IncludesAreReadDepthFirstAndLaterDefinitionsWin) {
    dir.write("maps/main.xml",
              "<map><includes><include file=\"a.xml\"/><include file=\"b.xml\"/></includes>"
              "<camera><startingPos posx=\"3\" posy=\"4\" posz=\"5\" viewx=\"0\" viewy=\"0\" "
              "viewz=\"0\"/></camera>"
              "<lights><light nr=\"3\"/></lights>"
              "<blueprints>" + quadBlueprint("mine", 3) + quadBlueprint("both", 30) +
              "</blueprints></map>");
    dir.write("maps/a.xml",
              "<map><camera><startingPos posx=\"1\"/></camera><lights><light nr=\"1\"/></lights>"
              "<blueprints>" + quadBlueprint("shared", 1) + quadBlueprint("both", 10) +
              "</blueprints></map>");
    dir.write("maps/b.xml", "<map><lights><light nr=\"2\"/></lights><blueprints>" +
                                quadBlueprint("shared", 2) + "</blueprints></map>");
    ASSERT_TRUE(load());
    EXPECT_EQ(lightIds(), (std::vector<GLenum>{GL_LIGHT1, GL_LIGHT2, GL_LIGHT3}));
    ASSERT_NE(world.camera, nullptr);
    EXPECT_DOUBLE_EQ(world.camera->eye[0], 3); // the including file's camera wins
    EXPECT_EQ(quadWidth("shared"), 2);        // the second include wins over the first
    EXPECT_EQ(quadWidth("both"), 30);         // the including file wins over both
    EXPECT_EQ(quadWidth("mine"), 3);
}

TEST_F(LoaderTest, IncludePathsAlwaysStartAtMapsWhereverTheIncludingFileIs) {
    dir.write("maps/main.xml", "<map><includes><include file=\"x/y.xml\"/></includes></map>");
    dir.write("maps/x/y.xml", "<map><includes><include file=\"sub/a.xml\"/></includes></map>");
    dir.write("maps/sub/a.xml", "<map><lights><light nr=\"4\"/></lights></map>");
    dir.write("maps/x/sub/a.xml", "<map><lights><light nr=\"5\"/></lights></map>");
    ASSERT_TRUE(load());
    EXPECT_EQ(lightIds(), (std::vector<GLenum>{GL_LIGHT4}));
    EXPECT_EQ(MapLoader::mapPath("maps/", "sub/a.xml"), "maps/sub/a.xml");
}

TEST_F(LoaderTest, MissingAndBrokenFilesAreReportedAndLoadingGoesOn) {
    dir.write("maps/main.xml", "<map><includes><include file=\"missing.xml\"/>"
                               "<include file=\"broken.xml\"/><include/></includes>"
                               "<lights><light nr=\"6\"/></lights></map>");
    dir.write("maps/broken.xml", "<map><lights></map>");
    testgl::StdoutCapture out;
    ASSERT_TRUE(load());
    const std::string text = out.text();
    EXPECT_NE(text.find("Den fileerror is : 5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("XMLHANDLER LOAD maps/broken.xml: kan setContent niet doen\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(lightIds(), (std::vector<GLenum>{GL_LIGHT6}));
}

TEST_F(LoaderTest, AMissingStartFileFailsWithTheFileError) {
    testgl::StdoutCapture out;
    EXPECT_FALSE(load("maps/none.xml"));
    EXPECT_EQ(out.text(), "Den fileerror is : 5\n"
                          "maps/none.xml:1:1: fout: map kan niet gelezen worden: bestaat niet\n");
    EXPECT_EQ(world.camera, nullptr);
}

TEST_F(LoaderTest, AnEmptyDocumentAndAnyRootNameLoadWithNothingInThem) {
    dir.write("maps/main.xml", "<world/>");
    testgl::StdoutCapture out;
    EXPECT_TRUE(load());
    EXPECT_EQ(out.text(), "maps/main.xml:1:7: waarschuwing: het hoofdelement heet <world>, niet "
                          "<map>; het wordt toch gelezen\n");
    EXPECT_TRUE(world.blueprints.empty());
    EXPECT_EQ(world.camera, nullptr);
}

TEST_F(LoaderTest, AnIncludeCycleIsCutAndADiamondIsReadTwice) {
    dir.write("maps/main.xml", "<map><includes><include file=\"a.xml\"/><include file=\"b.xml\"/>"
                               "</includes></map>");
    dir.write("maps/a.xml", "<map><includes><include file=\"c.xml\"/><include file=\"a.xml\"/>"
                            "</includes></map>");
    dir.write("maps/b.xml", "<map><includes><include file=\"c.xml\"/></includes></map>");
    dir.write("maps/c.xml", "<map><includes><include file=\"main.xml\"/></includes>"
                            "<lights><light nr=\"1\"/></lights></map>");
    testgl::StdoutCapture out;
    ASSERT_TRUE(load());
    EXPECT_EQ(out.text(), "maps/c.xml:1:40: waarschuwing: include maps/main.xml leidt in een lus "
                          "terug naar zichzelf, wordt overgeslagen\n"
                          "maps/a.xml:1:60: waarschuwing: include maps/a.xml leidt in een lus "
                          "terug naar zichzelf, wordt overgeslagen\n");
    EXPECT_EQ(lightIds(), (std::vector<GLenum>{GL_LIGHT1, GL_LIGHT1}));
}

TEST_F(LoaderTest, ACameraWithOnlyPosxLooksAtTheOrigin) {
    dir.write("maps/main.xml", "<map><camera><startingPos posx=\"1.5\"/>"
                               "<startingPos posx=\"9\"/></camera></map>");
    ASSERT_TRUE(load());
    ASSERT_NE(world.camera, nullptr);
    const Camera& c = *world.camera;
    EXPECT_DOUBLE_EQ(c.eye[0], 1.5);
    EXPECT_DOUBLE_EQ(c.eye[1], 0);
    EXPECT_DOUBLE_EQ(c.eye[2], 0);
    EXPECT_DOUBLE_EQ(c.centre[0], 0);
    EXPECT_DOUBLE_EQ(c.up[1], 1);

    Map other;
    dir.write("maps/bare.xml", "<map><camera/></map>");
    ASSERT_TRUE(MapLoader(&other).load("maps/bare.xml"));
    ASSERT_NE(other.camera, nullptr);
    EXPECT_DOUBLE_EQ(other.camera->eye[0], 0);
}

TEST_F(LoaderTest, TexturesAreReadFromTheFirstTexturesSectionOnly) {
    testgl::writePng(dir.path() + "/img/a.png", 4, 4, 0xff0000ff);
    dir.write("maps/main.xml",
              "<map><textures><texture key=\"t1\" file=\"img/a.png\"/>"
              "<group><texture key=\"t2\" file=\"img/a.png\"/></group></textures>"
              "<textures><texture key=\"t3\" file=\"img/a.png\"/></textures></map>");
    const int before = textureFactory->loadCount();
    testgl::StdoutCapture out;
    ASSERT_TRUE(load());
    EXPECT_EQ(out.text(), "maps/main.xml:1:58: waarschuwing: onbekend element <group> in sectie "
                          "textures, het element zelf wordt genegeerd\n"
                          "Texture inladen : t1 \nTexture inladen : t2 \n");
    EXPECT_EQ(textureFactory->loadCount(), before + 2);
    EXPECT_NE(textureFactory->getTextureId("t2"), 0u);
    EXPECT_EQ(textureFactory->getTextureId("t3"), 0u);
}

TEST_F(LoaderTest, BlueprintsGetTheirBoxAndUnknownTypesAreSkipped) {
    dir.write("maps/main.xml",
              "<map><textures/><blueprints>"
              "<blueprint type=\"quad\" key=\"q\"><params width=\"4\" height=\"2\"/>"
              "<textures><texture textureKey=\"grass\"/><texture textureKey=\"sand\"/></textures>"
              "<boundingBox width=\"1\" height=\"2\" depth=\"3\"/></blueprint>"
              "<blueprint type=\"Quad\" key=\"odd\"/>"
              "<blueprint key=\"none\"/>"
              "</blueprints></map>");
    testgl::StdoutCapture out;
    ASSERT_TRUE(load());
    EXPECT_NE(out.text().find("type \"Quad\" is niet gekend (bedoelt u quad?)"), std::string::npos);
    EXPECT_EQ(world.blueprints.size(), 1u);
    auto* quad = dynamic_cast<Quad*>(world.getBlueprint("q"));
    ASSERT_NE(quad, nullptr);
    EXPECT_FLOAT_EQ(quad->width, 4);
    EXPECT_FLOAT_EQ(quad->height, 2);
    EXPECT_EQ(quad->textureKey, "grass");
    EXPECT_TRUE(quad->textured);
    EXPECT_FLOAT_EQ(quad->boxWidth, 1);
    EXPECT_FLOAT_EQ(quad->boxHeight, 2);
    EXPECT_FLOAT_EQ(quad->boxDepth, 3);
    EXPECT_FLOAT_EQ(quad->getHeight(), 0); // flat, whatever the box says
}

TEST_F(LoaderTest, ObjectsReadTheirPlacementInEveryForm) {
    dir.write("maps/main.xml",
              "<map><blueprints>" + quadBlueprint("q", 2) + "</blueprints><objects>"
              "<object key=\"plain\" blueprintKey=\"q\"/>"
              "<object key=\"a\" blueprintKey=\"q\"><pos x=\"1\" y=\"2\" z=\"3\"/>"
              "<rot value=\"90\" x=\"10\"/><scale value=\"2\"/></object>"
              "<object key=\"b\" blueprintKey=\"q\"><rot x=\"10\" z=\"30\"/><scale x=\"2\"/></object>"
              "<object key=\"c\" blueprintKey=\"q\"><rot value=\"\"/><scale y=\"3\" z=\"4\"/></object>"
              "<object key=\"skybox\" blueprintKey=\"q\"><pos x=\"1\" y=\"2\" z=\"3\"/></object>"
              "</objects></map>");
    ASSERT_TRUE(load());
    auto& group = world.objects["q"];
    ASSERT_EQ(group.size(), 5u);
    const TObject* plain = group["plain"];
    EXPECT_FLOAT_EQ(plain->position.y, 1.0f);
    EXPECT_FLOAT_EQ(plain->scale.x, 1.0f);
    EXPECT_FLOAT_EQ(plain->scale.z, 1.0f);
    const TObject* a = group["a"];
    EXPECT_FLOAT_EQ(a->position.x, 1);
    EXPECT_FLOAT_EQ(a->position.y, 3); // raised by the height offset
    EXPECT_FLOAT_EQ(a->position.z, 3);
    EXPECT_FLOAT_EQ(a->rotation.x, 0); // "x" is ignored when "value" is there
    EXPECT_FLOAT_EQ(a->rotation.y, 90);
    EXPECT_FLOAT_EQ(a->scale.x, 2);
    EXPECT_FLOAT_EQ(a->scale.y, 2);
    EXPECT_FLOAT_EQ(a->scale.z, 2);
    const TObject* b = group["b"];
    EXPECT_FLOAT_EQ(b->rotation.x, 10);
    EXPECT_FLOAT_EQ(b->rotation.y, 0);
    EXPECT_FLOAT_EQ(b->rotation.z, 30);
    EXPECT_FLOAT_EQ(b->scale.x, 2);
    EXPECT_FLOAT_EQ(b->scale.y, 0); // a missing attribute is 0, not 1
    const TObject* c = group["c"];
    EXPECT_FLOAT_EQ(c->rotation.y, 0); // an empty "value" counts as present
    EXPECT_FLOAT_EQ(c->scale.x, 0);
    EXPECT_FLOAT_EQ(c->scale.z, 4);
    EXPECT_FLOAT_EQ(group["skybox"]->position.y, 2); // the sky box keeps its y
}

TEST_F(LoaderTest, MobileObjectsAreNumberedInFileOrderEvenWithoutTheirBlueprint) {
    dir.write("maps/main.xml",
              "<map><includes><include file=\"early.xml\"/></includes><blueprints>" +
                  quadBlueprint("car", 2) + "</blueprints><objects>"
              "<object key=\"zed\" blueprintKey=\"car\" mobile=\"true\"/>"
              "<object key=\"alpha\" blueprintKey=\"car\" mobile=\"false\"/>"
              "<object key=\"ghost\" blueprintKey=\"nothing\" mobile=\"\"/>"
              "<object key=\"still\" blueprintKey=\"car\"/>"
              "</objects></map>");
    // An object of an included file cannot use the including file's blueprint.
    dir.write("maps/early.xml", "<map><objects><object key=\"early\" blueprintKey=\"car\"/>"
                                "</objects></map>");
    ASSERT_TRUE(load());
    EXPECT_EQ(world.mobileKeys, (std::map<std::string, GLuint>{
                                    {"zed", 0}, {"alpha", 10}, {"ghost", 20}}));
    EXPECT_EQ(world.findObject("ghost"), nullptr);
    EXPECT_EQ(world.findObject("early"), nullptr);
    EXPECT_NE(world.findObject("still"), nullptr);
    EXPECT_EQ(world.objects.size(), 1u);
}

} // namespace
