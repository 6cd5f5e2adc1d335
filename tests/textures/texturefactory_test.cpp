// TextureFactory on a real GL context: the texture limit, and the pixels
// that end up in a texture.
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <gtest/gtest.h>
#include <set>

namespace {

TEST(TextureFactory, TheFiftyFirstTextureIsRefusedAndChangesNothing) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    testgl::writeImage("tile.png", 8, 8, [](int, int) { return 0xff808080; });
    TextureFactory factory;
    std::set<GLuint> names;
    for (int i = 1; i <= 50; ++i) {
        factory.loadTexture("t" + std::to_string(i), "tile.png");
        names.insert(factory.getTextureId("t" + std::to_string(i)));
    }
    EXPECT_EQ(names.size(), 50u);
    EXPECT_EQ(names.count(0u), 0u);
    testgl::StdoutCapture out;
    factory.loadTexture("extra", "tile.png");
    factory.loadTexture("t1", "tile.png");
    EXPECT_EQ(out.text(), "Texture inladen : extra \n"
                          "Er zijn reeds teveel textures ingeladen. Maximum aantal : 50\n"
                          "Texture inladen : t1 \n"
                          "Er zijn reeds teveel textures ingeladen. Maximum aantal : 50\n");
    EXPECT_EQ(factory.getTextureId("extra"), 0u);
    EXPECT_EQ(names.count(factory.getTextureId("t1")), 1u);
    glDisable(GL_ALPHA_TEST);
}

TEST(TextureFactory, ImagePixelsAreBoundUnderTheKeyBottomRowFirst) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    // 4 x 2: top row red, green, blue, white; bottom row black, yellow, cyan, magenta.
    const QRgb rows[2][4] = {{0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff},
                             {0xff000000, 0xffffff00, 0xff00ffff, 0xffff00ff}};
    testgl::writeImage("pattern.png", 4, 2, [&](int x, int y) { return rows[y][x]; });
    TextureFactory factory;
    factory.loadTexture("pattern", "pattern.png");
    glBindTexture(GL_TEXTURE_2D, factory.getTextureId("pattern"));
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w * h, 8);
    unsigned char t[32];
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t);
    for (int i = 0; i < 8; ++i) // GL row 0 is the image's bottom row
        EXPECT_EQ(qRgba(t[4 * i], t[4 * i + 1], t[4 * i + 2], t[4 * i + 3]), rows[1 - i / 4][i % 4])
            << i;
    glDisable(GL_ALPHA_TEST);
}

} // namespace
