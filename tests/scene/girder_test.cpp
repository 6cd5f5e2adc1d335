// Girders: corner placement and per-side texture coordinates captured with GL
// feedback, per-side textures, materials and normals seen in rendered pixels
// and read back from GL, and the console lines of the side flags.
#include "scene/girder.h"
#include "scene/girderrect.h"
#include "tests/scene/scenetest.h"
#include "tests/support/gltest.h"

#include <GL/gl.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

namespace {

using testgl::Polygon;
using testgl::Vertex;

using Corners = std::map<std::string, FPoint>;

// One expected vertex of a side: the corner's name and its texture coordinates.
struct Expected {
    const char* corner;
    float s, t;
};

// The sides as draw emits them: front, back, top, bottom, right, left.
const char* const kSideNames[6] = {"front", "back", "top", "bottom", "right", "left"};
const Expected kSides[6][4] = {
    {{"fbl", 0, 0}, {"fbr", 1, 0}, {"ftr", 1, 1}, {"ftl", 0, 1}},
    {{"bbl", 0, 0}, {"bbr", 1, 0}, {"btr", 1, 1}, {"btl", 0, 1}},
    {{"ftl", 1, 1}, {"ftr", 0, 1}, {"btl", 0, 0}, {"btr", 1, 0}},
    {{"fbr", 0, 1}, {"bbl", 0, 0}, {"bbr", 1, 0}, {"fbl", 1, 1}},
    {{"fbr", 0, 0}, {"bbl", 1, 0}, {"btl", 1, 1}, {"ftr", 0, 1}},
    {{"bbr", 0, 0}, {"fbl", 1, 0}, {"ftl", 1, 1}, {"btr", 0, 1}},
};

void expectSides(const std::vector<Polygon>& quads, const Corners& corners) {
    ASSERT_EQ(quads.size(), 6u);
    for (int side = 0; side < 6; ++side) {
        ASSERT_EQ(quads[side].v.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            const Vertex& v = quads[side].v[k];
            const Expected& e = kSides[side][k];
            const FPoint& p = corners.at(e.corner);
            EXPECT_NEAR(v.x, p.x, scenetest::kTolerance) << kSideNames[side] << " " << e.corner;
            EXPECT_NEAR(v.y, p.y, scenetest::kTolerance) << kSideNames[side] << " " << e.corner;
            EXPECT_NEAR(v.z, p.z, scenetest::kTolerance) << kSideNames[side] << " " << e.corner;
            EXPECT_FLOAT_EQ(v.s, e.s) << kSideNames[side] << " " << e.corner;
            EXPECT_FLOAT_EQ(v.t, e.t) << kSideNames[side] << " " << e.corner;
        }
    }
}

Corners boxCorners(FPoint p, float width, float height, float depth) {
    const float r = p.x + width, b = p.y - height, k = p.z - depth;
    return {{"ftl", p},           {"ftr", {r, p.y, p.z}}, {"fbl", {p.x, b, p.z}},
            {"fbr", {r, b, p.z}}, {"btl", {r, p.y, k}},   {"btr", {p.x, p.y, k}},
            {"bbl", {r, b, k}},   {"bbr", {p.x, b, k}}};
}

std::vector<Polygon> captureQuads(Girder& girder) {
    return scenetest::joinQuads(testgl::capture([&] { girder.draw(); }));
}

// Saves and restores all GL state around each test: these tests switch
// lights, materials and texturing.
class GirderGL : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    void TearDown() override { glPopAttrib(); }
};

// Views that turn each side of a box centred on the origin towards the
// viewer (+z), in side number order front, back, left, right, top, bottom.
const std::array<std::array<float, 4>, 6> kSideViews = {{
    {0, 0, 1, 0},
    {180, 0, 1, 0},
    {90, 0, 1, 0},
    {-90, 0, 1, 0},
    {90, 1, 0, 0},
    {-90, 1, 0, 0},
}};

std::array<int, 3> sidePixel(Girder& girder, int side) {
    const auto& r = kSideViews[side];
    return scenetest::centrePixel([&] { glRotatef(r[0], r[1], r[2], r[3]); },
                                  [&] { girder.draw(); });
}

// A 2 x 2 x 2 box centred on the origin.
GirderRect* unitBox() {
    auto* box = new GirderRect(2, 2, 2);
    box->position = FPoint(-1, 1, 1);
    return box;
}

TEST(Girder, ConstructionPrintsTheSixSideFlagsAsZero) {
    const std::string six = "------> 0 wordt op 0 gezet \n"
                            "------> 1 wordt op 0 gezet \n"
                            "------> 2 wordt op 0 gezet \n"
                            "------> 3 wordt op 0 gezet \n"
                            "------> 4 wordt op 0 gezet \n"
                            "------> 5 wordt op 0 gezet \n";
    {
        testgl::StdoutCapture out;
        Girder girder{FPoint(), FPoint(), FPoint(), FPoint(),
                      FPoint(), FPoint(), FPoint(), FPoint()};
        EXPECT_EQ(out.text(), six);
        for (int side = 0; side < 6; ++side)
            EXPECT_FALSE(girder.texturedSides.at(side));
    }
    testgl::StdoutCapture out;
    GirderRect rect(1, 2, 3);
    EXPECT_EQ(out.text(), six);
}

TEST(Girder, SettingATexturePrintsTheSideWithFlagOne) {
    GirderRect girder(1, 1, 1);
    testgl::StdoutCapture out;
    girder.setTexture(SideLeft, "steel");
    EXPECT_EQ(out.text(), "------> 2 wordt op 1 gezet \n");
    EXPECT_TRUE(girder.texturedSides.at(SideLeft));
    EXPECT_EQ(girder.textureKeys.at(SideLeft), "steel");
    girder.setTextured(SideLeft, false);
    EXPECT_EQ(out.text(), "------> 2 wordt op 1 gezet \n------> 2 wordt op 0 gezet \n");
}

TEST(Girder, SideNamesAreExactAndEverythingElseIsTheTop) {
    EXPECT_EQ(sideFromName("front"), SideFront);
    EXPECT_EQ(sideFromName("back"), SideBack);
    EXPECT_EQ(sideFromName("left"), SideLeft);
    EXPECT_EQ(sideFromName("right"), SideRight);
    EXPECT_EQ(sideFromName("top"), SideTop);
    EXPECT_EQ(sideFromName("bottom"), SideBottom);
    for (const char* other : {"", "Front", "BACK", "all", "left ", "side"})
        EXPECT_EQ(sideFromName(other), SideTop) << other;
}

TEST_F(GirderGL, ARectHangsFromItsPositionWithEachSidesCornersAndTextureCoordinates) {
    GirderRect girder(2, 3, 4);
    girder.position = FPoint(1, 5, 0);
    auto quads = captureQuads(girder);
    expectSides(quads, boxCorners(FPoint(1, 5, 0), 2, 3, 4));
}

TEST_F(GirderGL, FiveSidesWindCounterClockwiseFromOutsideAndTheBottomTheOtherWay) {
    GirderRect girder(2, 3, 4);
    girder.position = FPoint(1, 5, 0);
    auto quads = captureQuads(girder);
    ASSERT_EQ(quads.size(), 6u);
    const float centre[3] = {2, 3.5f, -2};
    for (int side = 0; side < 6; ++side) {
        const auto& v = quads[side].v;
        const float a[3] = {v[1].x - v[0].x, v[1].y - v[0].y, v[1].z - v[0].z};
        const float b[3] = {v[2].x - v[0].x, v[2].y - v[0].y, v[2].z - v[0].z};
        const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                            a[0] * b[1] - a[1] * b[0]};
        // The middle of the diagonal v0-v2 is the middle of the side.
        const float mid[3] = {(v[0].x + v[2].x) / 2, (v[0].y + v[2].y) / 2, (v[0].z + v[2].z) / 2};
        float outward = 0;
        for (int i = 0; i < 3; ++i)
            outward += n[i] * (mid[i] - centre[i]);
        if (std::string(kSideNames[side]) == "bottom")
            EXPECT_LT(outward, 0) << kSideNames[side];
        else
            EXPECT_GT(outward, 0) << kSideNames[side];
    }
}

TEST_F(GirderGL, ARectFollowsItsPositionAtEveryDraw) {
    GirderRect girder(2, 3, 4);
    girder.position = FPoint(1, 5, 0);
    captureQuads(girder);
    girder.resetTransform();
    girder.position = FPoint(-10, 0, 7);
    expectSides(captureQuads(girder), boxCorners(FPoint(-10, 0, 7), 2, 3, 4));
}

TEST_F(GirderGL, APointsGirderPutsEachArgumentOnItsNamedCorner) {
    // A skewed solid: every corner distinct, so a swapped argument shows.
    const Corners corners = {{"ftl", {0, 4, 1}},    {"ftr", {3, 5, 2}},  {"fbr", {4, 0, 3}},
                             {"fbl", {-1, -1, 2}},  {"btl", {5, 6, -3}}, {"btr", {-2, 7, -4}},
                             {"bbr", {-3, -2, -5}}, {"bbl", {6, -3, -6}}};
    Girder girder(corners.at("ftl"), corners.at("ftr"), corners.at("fbr"), corners.at("fbl"),
                  corners.at("btl"), corners.at("btr"), corners.at("bbr"), corners.at("bbl"));
    EXPECT_FLOAT_EQ(girder.position.y, 4.0f);
    expectSides(captureQuads(girder), corners);
}

TEST_F(GirderGL, RotatesAboutTheWorldOriginYThenXThenZAndKeepsTheMatrix) {
    const FPoint p(1, 2, 3);
    Girder girder(p, p, p, p, p, p, p, p);
    girder.rotation = FPoint(90, 90, 90);
    float after[16] = {};
    auto polygons = testgl::capture([&] {
        girder.draw();
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
    });
    ASSERT_FALSE(polygons.empty());
    // Ry(90) Rx(90) Rz(90) (1, 2, 3): z turns it to (-2, 1, 3), x to (-2, -3, 1), y to (1, -3, 2).
    for (const Polygon& polygon : polygons)
        for (const Vertex& v : polygon.v) {
            EXPECT_NEAR(v.x, 1, scenetest::kTolerance);
            EXPECT_NEAR(v.y, -3, scenetest::kTolerance);
            EXPECT_NEAR(v.z, 2, scenetest::kTolerance);
        }
    // The rotation is still on the matrix after draw.
    EXPECT_GT(std::abs(after[0] - 1.0f) + std::abs(after[5] - 1.0f) + std::abs(after[10] - 1.0f),
              0.5f);
}

TEST_F(GirderGL, EachSideShowsItsOwnTexture) {
    const unsigned colours[6] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xff00ff, 0x00ffff};
    const char* keys[6] = {"g-red", "g-green", "g-blue", "g-yellow", "g-magenta", "g-cyan"};
    std::unique_ptr<GirderRect> box(unitBox());
    for (int side = 0; side < 6; ++side) {
        scenetest::colourTexture(keys[side], colours[side]);
        box->setTexture(side, keys[side]);
    }
    for (int side = 0; side < 6; ++side) {
        auto pixel = sidePixel(*box, side);
        const unsigned c = colours[side];
        EXPECT_EQ(pixel[0] > 128, bool(c & 0xff0000)) << "side " << side;
        EXPECT_EQ(pixel[1] > 128, bool(c & 0x00ff00)) << "side " << side;
        EXPECT_EQ(pixel[2] > 128, bool(c & 0x0000ff)) << "side " << side;
    }
}

TEST_F(GirderGL, AllFollowedByOneSideLeavesTheOtherFiveWithTheFirstTexture) {
    const unsigned red = scenetest::colourTexture("g-red", 0xff0000);
    const unsigned blue = scenetest::colourTexture("g-blue", 0x0000ff);
    std::unique_ptr<GirderRect> box(unitBox());
    box->setTextureAll("g-red");
    box->setTexture(SideTop, "g-blue");
    for (int side = 0; side < 6; ++side) {
        box->bindSideTexture(side);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(GLuint(bound), side == SideTop ? blue : red) << "side " << side;
    }
}

TEST_F(GirderGL, AnUntexturedSideIsDrawnInTheCurrentColourAndTexturingIsOnAfterwards) {
    scenetest::colourTexture("g-red", 0xff0000);
    std::unique_ptr<GirderRect> box(unitBox());
    box->setTexture(SideBack, "g-red");
    box->bindSideTexture(SideFront);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    auto front = sidePixel(*box, SideFront);
    EXPECT_GT(front[0], 200);
    EXPECT_GT(front[1], 200);
    EXPECT_GT(front[2], 200);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

// Lighting with one light that contributes ambient only, so each side shows
// its material's ambient colour whatever its normal.
void ambientOnlyLight() {
    const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, white);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

TEST_F(GirderGL, EachSideIsLitWithItsOwnMaterialOrTheDefault) {
    std::unique_ptr<GirderRect> box(unitBox());
    const Material red(1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 0.25f);
    const Material green(0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1, 1.0f);
    box->setMaterialAll(red);
    box->setMaterial(SideTop, green);
    box->materials.erase(SideBack); // back: the default (white) material
    glEnable(GL_COLOR_MATERIAL);
    glColor3f(0, 0, 1); // would turn everything blue while colour material is on
    ambientOnlyLight();
    auto front = sidePixel(*box, SideFront);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    auto top = sidePixel(*box, SideTop);
    auto back = sidePixel(*box, SideBack);
    EXPECT_GT(front[0], 200);
    EXPECT_LT(front[1], 50);
    EXPECT_LT(front[2], 50);
    EXPECT_LT(top[0], 50);
    EXPECT_GT(top[1], 200);
    EXPECT_GT(back[0], 200); // white
    EXPECT_GT(back[1], 200);
    EXPECT_GT(back[2], 200);
}

TEST_F(GirderGL, ApplyMaterialSetsTheDefaultFirstThenTheSidesOwn) {
    std::unique_ptr<GirderRect> box(unitBox());
    box->setMaterial(SideFront, Material(0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 0.8f,
                                         0.7f, 0.6f, 0.25f));
    EXPECT_TRUE(box->hasMaterial(SideFront));
    EXPECT_FALSE(box->hasMaterial(SideBack));

    glEnable(GL_COLOR_MATERIAL);
    box->applyMaterial(SideBack); // no material: colour material stays on
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    glDisable(GL_COLOR_MATERIAL);

    glEnable(GL_COLOR_MATERIAL);
    box->applyMaterial(SideFront);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    float ambient[4], specular[4], shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_BACK, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(specular[1], 0.8f);
    EXPECT_FLOAT_EQ(shininess, 32.0f);

    // A side without material after one with: exactly the default again.
    box->applyMaterial(SideBack);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(ambient[2], 1.0f);
    EXPECT_FLOAT_EQ(specular[1], 0.5f);
    EXPECT_FLOAT_EQ(shininess, 64.0f);

    // draw ends on the default material.
    box->draw();
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 1.0f);
}

TEST_F(GirderGL, ASideWithoutNormalGetsNoDiffuseLight) {
    std::unique_ptr<GirderRect> box(unitBox());
    const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
    const float towardsViewer[4] = {0, 0, 1, 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    auto view = [&] { glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer); };
    auto dark = scenetest::centrePixel(view, [&] { box->draw(); });
    EXPECT_LT(dark[0] + dark[1] + dark[2], 30);

    box->setNormal(SideFront, FPoint(0, 0, 1));
    EXPECT_TRUE(box->hasNormal(SideFront));
    auto lit = scenetest::centrePixel(view, [&] { box->draw(); });
    EXPECT_GT(lit[0], 200);
    EXPECT_GT(lit[1], 200);
}

} // namespace
