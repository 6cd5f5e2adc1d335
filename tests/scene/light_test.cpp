// Light: every setter reaches GL at once; applying follows the switch.
#include "scene/light.h"
#include "tests/support/gltest.h"

#include <array>
#include <gtest/gtest.h>

namespace {

std::array<GLfloat, 4> get(GLenum light, GLenum name) {
    std::array<GLfloat, 4> v{-9, -9, -9, -9};
    glGetLightfv(light, name, v.data());
    return v;
}

class LightTest : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHT6);
    }
};

TEST_F(LightTest, EverySetterIsSentAtOnce) {
    Light light(GL_LIGHT6);
    light.setPosition(1, 2, 3, 1);
    light.setAmbient(0.1f, 0.2f, 0.3f, 0.4f);
    light.setDiffuse(0.5f, 0.6f, 0.7f, 0.8f);
    light.setSpecular(0.9f, 1, 0, 1);
    light.setSpot(30, 0, -1, 0, 0);
    light.setSpotExponent(12);
    light.setAttenuation(1, 0.5f, 0.25f);
    EXPECT_EQ(get(GL_LIGHT6, GL_POSITION), (std::array<GLfloat, 4>{1, 2, 3, 1}));
    EXPECT_EQ(get(GL_LIGHT6, GL_AMBIENT), (std::array<GLfloat, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(get(GL_LIGHT6, GL_DIFFUSE), (std::array<GLfloat, 4>{0.5f, 0.6f, 0.7f, 0.8f}));
    EXPECT_EQ(get(GL_LIGHT6, GL_SPECULAR), (std::array<GLfloat, 4>{0.9f, 1, 0, 1}));
    auto direction = get(GL_LIGHT6, GL_SPOT_DIRECTION);
    EXPECT_FLOAT_EQ(direction[0], 0);
    EXPECT_FLOAT_EQ(direction[1], -1);
    EXPECT_FLOAT_EQ(direction[2], 0);
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_SPOT_CUTOFF)[0], 30);
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_SPOT_EXPONENT)[0], 12);
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_CONSTANT_ATTENUATION)[0], 1);
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_LINEAR_ATTENUATION)[0], 0.5f);
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_QUADRATIC_ATTENUATION)[0], 0.25f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT6)); // setting is not switching on
}

TEST_F(LightTest, ApplyingSendsPositionUnderTheCurrentMatrixOnlyWhileOn) {
    Light light(GL_LIGHT6);
    light.setPosition(1, 0, 0, 1);
    glTranslatef(10, 0, 0);
    light.draw();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT6));
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_POSITION)[0], 11);
    // Without a spot it sends GL's default direction and keeps an ordinary light.
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_SPOT_DIRECTION)[2], -1);
    EXPECT_FLOAT_EQ(light.spotCutoff, 180);

    light.on = false;
    light.disable();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT6)); // off: disable does nothing either
    glLoadIdentity();
    light.draw();
    EXPECT_FLOAT_EQ(get(GL_LIGHT6, GL_POSITION)[0], 11);
    light.on = true;
    light.disable();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT6));
}

} // namespace
