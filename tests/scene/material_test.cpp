// Material: the values apply() sends, read back from GL.
#include "scene/material.h"
#include "tests/support/gltest.h"

#include <GL/gl.h>
#include <array>
#include <gtest/gtest.h>

namespace {

struct MaterialState {
    std::array<float, 4> ambient, diffuse, specular;
    float shininess;
};

MaterialState readFace(GLenum face) {
    MaterialState m{};
    glGetMaterialfv(face, GL_AMBIENT, m.ambient.data());
    glGetMaterialfv(face, GL_DIFFUSE, m.diffuse.data());
    glGetMaterialfv(face, GL_SPECULAR, m.specular.data());
    glGetMaterialfv(face, GL_SHININESS, &m.shininess);
    return m;
}

void expectMaterial(const MaterialState& m, std::array<float, 4> ambient,
                    std::array<float, 4> diffuse, std::array<float, 4> specular, float shininess) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(m.ambient[i], ambient[i]) << "ambient " << i;
        EXPECT_FLOAT_EQ(m.diffuse[i], diffuse[i]) << "diffuse " << i;
        EXPECT_FLOAT_EQ(m.specular[i], specular[i]) << "specular " << i;
    }
    EXPECT_FLOAT_EQ(m.shininess, shininess);
}

TEST(Material, AppliesItsColoursToBothFacesAndShininessTimes128) {
    testgl::makeCurrent();
    glDisable(GL_COLOR_MATERIAL);
    Material m(0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 0.0f, 0.25f, 0.25f);
    m.apply();
    for (GLenum face : {GL_FRONT, GL_BACK})
        expectMaterial(readFace(face), {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f},
                       {0.9f, 1.0f, 0.0f, 0.25f}, 32.0f);

    Material shiny;
    shiny.shininess = 1.0f;
    shiny.apply();
    EXPECT_FLOAT_EQ(readFace(GL_FRONT).shininess, 128.0f);
}

TEST(Material, TheDefaultMaterialIsWhiteWithHalfSpecularAndShininess64) {
    testgl::makeCurrent();
    glDisable(GL_COLOR_MATERIAL);
    Material(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0).apply();
    applyDefaultMaterial();
    const MaterialState fromFunction = readFace(GL_BACK);
    expectMaterial(fromFunction, {1, 1, 1, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, 64.0f);

    Material(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0).apply();
    Material().apply();
    expectMaterial(readFace(GL_FRONT), {1, 1, 1, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}, 64.0f);
}

} // namespace
