// The lights section, read from a map file into lights whose values are
// read back from GL.
#include "mapfile/maploader.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <array>
#include <gtest/gtest.h>

namespace {

std::array<GLfloat, 4> lightValue(GLenum light, GLenum name) {
    std::array<GLfloat, 4> v{-9, -9, -9, -9};
    glGetLightfv(light, name, v.data());
    return v;
}

class LightsSectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity(); // positions are stored as sent
        // Back to GL's defaults for the lights used here.
        const GLfloat ambient[4] = {0, 0, 0, 1}, one[4] = {1, 1, 1, 1}, zero[4] = {0, 0, 0, 1},
                      down[3] = {0, 0, -1};
        for (GLenum l : {GL_LIGHT0, GL_LIGHT3, GL_LIGHT4, GL_LIGHT5}) {
            glLightfv(l, GL_AMBIENT, ambient);
            glLightfv(l, GL_DIFFUSE, l == GL_LIGHT0 ? one : zero);
            glLightfv(l, GL_SPOT_DIRECTION, down);
            glLightf(l, GL_SPOT_CUTOFF, 180);
            glLightf(l, GL_SPOT_EXPONENT, 0);
            glLightf(l, GL_CONSTANT_ATTENUATION, 1);
        }
    }
    void load(const std::string& lights) {
        dir.write("maps/main.xml", "<map><lights>" + lights + "</lights></map>");
        ASSERT_TRUE(MapLoader(&world).load("maps/main.xml"));
    }
    testgl::TempWorkDir dir;
    Map world;
};

TEST_F(LightsSectionTest, APositionalLightWithColoursSpotAndAttenuation) {
    load("<light nr=\"3\" on=\"true\" x=\"0\" y=\"10\" z=\"0\" a=\"1\">"
         "<group><diffuse r=\"1\" g=\"0.5\" b=\"0.25\" a=\"1\"/></group>"
         "<ambient r=\"0.1\" g=\"0.2\" b=\"0.3\"/>"
         "<spot radius=\"30\" x=\"0\" y=\"-1\" z=\"0\" exponent=\"4\"/>"
         "<attenuation constant=\"1\"/></light>");
    ASSERT_EQ(world.lights.size(), 1u);
    Light* light = world.lights[0];
    EXPECT_EQ(light->lightId, GLenum(GL_LIGHT3));
    EXPECT_TRUE(light->on);
    EXPECT_TRUE(world.flashlights.empty());
    EXPECT_EQ(lightValue(GL_LIGHT3, GL_POSITION), (std::array<GLfloat, 4>{0, 10, 0, 1}));
    EXPECT_EQ(lightValue(GL_LIGHT3, GL_DIFFUSE), (std::array<GLfloat, 4>{1, 0.5f, 0.25f, 1}));
    // A colour element nested at any depth counts; a missing attribute is 0.
    EXPECT_EQ(lightValue(GL_LIGHT3, GL_AMBIENT), (std::array<GLfloat, 4>{0.1f, 0.2f, 0.3f, 0}));
    auto direction = lightValue(GL_LIGHT3, GL_SPOT_DIRECTION);
    EXPECT_FLOAT_EQ(direction[1], -1);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT3, GL_SPOT_CUTOFF)[0], 30);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT3, GL_SPOT_EXPONENT)[0], 4);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT3, GL_CONSTANT_ATTENUATION)[0], 1);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT3, GL_LINEAR_ATTENUATION)[0], 0);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT3, GL_QUADRATIC_ATTENUATION)[0], 0);
}

TEST_F(LightsSectionTest, OnIsExactlyTrueAndFlashlightIsByPresence) {
    load("<light nr=\"1\" on=\"True\"/><light nr=\"2\" on=\"1\"/>"
         "<light nr=\"4\" on=\"true\" flashlight=\"no\"/><light nr=\"5\" flashlight=\"\"/>");
    ASSERT_EQ(world.lights.size(), 4u);
    EXPECT_FALSE(world.lights[0]->on);
    EXPECT_FALSE(world.lights[1]->on);
    EXPECT_TRUE(world.lights[2]->on);
    EXPECT_FALSE(world.lights[3]->on);
    ASSERT_EQ(world.flashlights.size(), 2u);
    EXPECT_EQ(world.flashlights[0], world.lights[2]);
    EXPECT_EQ(world.flashlights[1], world.lights[3]);
}

TEST_F(LightsSectionTest, OtherNumbersDriveLightZeroAndMissingPartsKeepGlDefaults) {
    load("<light nr=\"9\"/><light/><light nr=\"-1\"/><light nr=\"x\"/>"
         "<light nr=\"5\"><spot radius=\"45\"/></light>");
    ASSERT_EQ(world.lights.size(), 5u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(world.lights[i]->lightId, GLenum(GL_LIGHT0)) << i;
    EXPECT_EQ(lightValue(GL_LIGHT0, GL_POSITION), (std::array<GLfloat, 4>{0, 0, 0, 0}));
    EXPECT_EQ(lightValue(GL_LIGHT0, GL_DIFFUSE), (std::array<GLfloat, 4>{1, 1, 1, 1}));
    // Without "exponent" the exponent is not sent.
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT5, GL_SPOT_CUTOFF)[0], 45);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT5, GL_SPOT_EXPONENT)[0], 0);
    EXPECT_FLOAT_EQ(lightValue(GL_LIGHT5, GL_CONSTANT_ATTENUATION)[0], 1);
}

} // namespace
