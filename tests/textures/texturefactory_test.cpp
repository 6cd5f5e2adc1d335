// TextureFactory on a real GL context: numbering and keys, the texture limit
// and its messages, the GL state a load leaves (alpha test, filters,
// environment), unreadable images, and the pixels that end up in a texture.
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

constexpr int kViewSize = 64; // pixels of the square we draw into for read-backs

// Writes an image whose pixel (x, y) has the colour pixel(x, y), as ARGB.
template <typename F>
void writeImage(const QString& path, int width, int height, const char* format, F pixel) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixel(x, y));
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(image.save(path, format));
}

// Level 0 of a texture as RGBA bytes, GL row order (bottom row first).
std::vector<unsigned char> texels(GLuint name, GLint* width, GLint* height) {
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<unsigned char> bytes(size_t(*width) * size_t(*height) * 4 + 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    bytes.resize(size_t(*width) * size_t(*height) * 4);
    return bytes;
}

struct Rgb {
    int r, g, b;
};

// Draws a white, unlit square filling a kViewSize viewport, textured with the
// given texture name, over a blue background, and reads the pixel at (x, y).
Rgb drawTexturedSquareAndRead(GLuint name, int x, int y) {
    glViewport(0, 0, kViewSize, kViewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // clang-format off
    glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f); glVertex2f(-1.0f, -1.0f);
        glTexCoord2f(1.0f, 0.0f); glVertex2f(1.0f, -1.0f);
        glTexCoord2f(1.0f, 1.0f); glVertex2f(1.0f, 1.0f);
        glTexCoord2f(0.0f, 1.0f); glVertex2f(-1.0f, 1.0f);
    glEnd();
    // clang-format on
    glFinish();
    unsigned char px[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

class TextureFactoryTest : public ::testing::Test {
protected:
    void SetUp() override { testgl::makeCurrent(); }
    void TearDown() override { glDisable(GL_ALPHA_TEST); }

    // A one-colour PNG in the temporary working directory, returned as a path.
    std::string png(const QString& name, unsigned rgba) {
        testgl::writePng(work.path() + "/" + name, 8, 8, rgba);
        return name.toStdString();
    }

    testgl::TempWorkDir work;
    TextureFactory factory;
};

TEST_F(TextureFactoryTest, NumbersFromOneAndAnnouncesEachLoad) {
    EXPECT_EQ(factory.loadCount(), 0);
    EXPECT_EQ(factory.getTextureId("grass"), 0u);

    testgl::StdoutCapture out;
    factory.loadTexture("grass", png("grass.png", 0x00ff00ff));
    EXPECT_EQ(factory.loadCount(), 1);
    factory.loadTexture("sky", png("sky.png", 0x0000ffff));
    EXPECT_EQ(factory.loadCount(), 2);
    EXPECT_EQ(out.text(), "Texture inladen : grass \nTexture inladen : sky \n");

    GLuint grass = factory.getTextureId("grass");
    GLuint sky = factory.getTextureId("sky");
    EXPECT_NE(grass, 0u);
    EXPECT_NE(sky, 0u);
    EXPECT_NE(grass, sky);
    EXPECT_TRUE(glIsTexture(grass));
    EXPECT_TRUE(glIsTexture(sky));
}

TEST_F(TextureFactoryTest, UnknownKeyGivesTheUntexturedDefault) {
    factory.loadTexture("Grass", png("grass.png", 0x00ff00ff));
    // Keys are exact and case-sensitive; a miss gives texture 0 every time.
    EXPECT_EQ(factory.getTextureId("grass"), 0u);
    EXPECT_EQ(factory.getTextureId("grass"), 0u);
    EXPECT_EQ(factory.getTextureId(""), 0u);
    EXPECT_EQ(factory.loadCount(), 1);
    // A lookup does not reserve the key: loading it afterwards works as usual.
    factory.loadTexture("grass", png("grass2.png", 0x00ff00ff));
    EXPECT_NE(factory.getTextureId("grass"), 0u);
    EXPECT_NE(factory.getTextureId("grass"), factory.getTextureId("Grass"));
}

TEST_F(TextureFactoryTest, LoadingAKeyAgainPointsItAtTheNewImage) {
    factory.loadTexture("wall", png("red.png", 0xff0000ff));
    GLuint first = factory.getTextureId("wall");
    factory.loadTexture("wall", png("blue.png", 0x0000ffff));
    GLuint second = factory.getTextureId("wall");

    EXPECT_NE(first, second);
    EXPECT_EQ(factory.loadCount(), 2); // both count against the limit
    EXPECT_TRUE(glIsTexture(first));   // the old texture stays allocated

    GLint w = 0, h = 0;
    std::vector<unsigned char> now = texels(second, &w, &h);
    ASSERT_EQ(w * h, 64);
    EXPECT_EQ(now[0], 0);
    EXPECT_EQ(now[2], 255);
    std::vector<unsigned char> before = texels(first, &w, &h);
    ASSERT_EQ(w * h, 64);
    EXPECT_EQ(before[0], 255);
    EXPECT_EQ(before[2], 0);
}

TEST_F(TextureFactoryTest, RefusesTheFiftyFirstTextureWithBothMessages) {
    std::string file = png("tile.png", 0x808080ff);
    std::set<GLuint> names;
    for (int i = 1; i <= TextureFactory::kMaxTextures; ++i) {
        std::string key = "t" + std::to_string(i);
        factory.loadTexture(key, file);
        names.insert(factory.getTextureId(key));
    }
    EXPECT_EQ(factory.loadCount(), 50);
    EXPECT_EQ(names.size(), 50u);
    EXPECT_EQ(names.count(0u), 0u);

    // A refused load changes nothing: not the key, not the count, not the GL state.
    glDisable(GL_ALPHA_TEST);
    testgl::StdoutCapture out;
    factory.loadTexture("extra", file);
    factory.loadTexture("t1", png("other.png", 0xffffffff));
    EXPECT_EQ(out.text(), "Texture inladen : extra \n"
                          "Er zijn reeds teveel textures ingeladen. Maximum aantal : 50\n"
                          "Texture inladen : t1 \n"
                          "Er zijn reeds teveel textures ingeladen. Maximum aantal : 50\n");
    EXPECT_EQ(factory.loadCount(), 50);
    EXPECT_EQ(factory.getTextureId("extra"), 0u);
    EXPECT_EQ(names.count(factory.getTextureId("t1")), 1u);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(TextureFactoryTest, LoadSetsAlphaTestFiltersAndEnvironment) {
    glDisable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    factory.loadTexture("brick", png("brick.png", 0xaa5500ff));

    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint func = 0;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
    EXPECT_EQ(func, GL_EQUAL);
    GLfloat ref = 0.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &ref);
    EXPECT_FLOAT_EQ(ref, 1.0f);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);

    glBindTexture(GL_TEXTURE_2D, factory.getTextureId("brick"));
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(TextureFactoryTest, TexelsThatAreNotFullyOpaqueAreNotDrawn) {
    // Left half opaque red, right half green at alpha 254/255.
    writeImage(work.path() + "/holes.png", 16, 16, "PNG",
               [](int x, int) { return x < 8 ? qRgba(255, 0, 0, 255) : qRgba(0, 255, 0, 254); });
    factory.loadTexture("holes", "holes.png");
    GLuint name = factory.getTextureId("holes");

    Rgb left = drawTexturedSquareAndRead(name, kViewSize / 4, kViewSize / 2);
    Rgb right = drawTexturedSquareAndRead(name, 3 * kViewSize / 4, kViewSize / 2);
    EXPECT_EQ(left.r, 255);
    EXPECT_EQ(left.b, 0);
    // The background shows through where the texel's alpha is below 1.0.
    EXPECT_EQ(right.r, 0);
    EXPECT_EQ(right.g, 0);
    EXPECT_EQ(right.b, 255);
}

TEST_F(TextureFactoryTest, MissingOrUnreadableImageEntersAnEmptyTexture) {
    work.write("maps/textures/broken.png", "this is not a PNG");
    testgl::StdoutCapture out;
    factory.loadTexture("gone", "maps/textures/missing.png");
    factory.loadTexture("broken", "maps/textures/broken.png");
    EXPECT_EQ(out.text(), "Texture inladen : gone \n"
                          "Texture bestand kan niet gelezen worden : maps/textures/missing.png \n"
                          "Texture inladen : broken \n"
                          "Texture bestand kan niet gelezen worden : maps/textures/broken.png \n");
    EXPECT_EQ(factory.loadCount(), 2);

    for (const char* key : {"gone", "broken"}) {
        SCOPED_TRACE(key);
        GLuint name = factory.getTextureId(key);
        ASSERT_NE(name, 0u);
        EXPECT_TRUE(glIsTexture(name));
        GLint w = -1, h = -1;
        texels(name, &w, &h);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_NEAREST);
        // An empty texture switches texturing off: the surface keeps its own colour.
        Rgb c = drawTexturedSquareAndRead(name, kViewSize / 2, kViewSize / 2);
        EXPECT_EQ(c.r, 255);
        EXPECT_EQ(c.g, 255);
        EXPECT_EQ(c.b, 255);
    }
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(TextureFactoryTest, PngPixelsAreBoundUnderTheKeyBottomRowFirst) {
    // 4 x 2: top row red, green, blue, white; bottom row black, yellow, cyan, magenta.
    const QRgb top[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    const QRgb bottom[4] = {qRgb(0, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
    writeImage(work.path() + "/maps/textures/pattern.png", 4, 2, "PNG",
               [&](int x, int y) { return y == 0 ? top[x] : bottom[x]; });
    factory.loadTexture("other", png("grey.png", 0x404040ff));
    factory.loadTexture("pattern", "maps/textures/pattern.png");

    GLint w = 0, h = 0;
    std::vector<unsigned char> t = texels(factory.getTextureId("pattern"), &w, &h);
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 2);
    for (int x = 0; x < 4; ++x) {
        SCOPED_TRACE(x);
        const unsigned char* low = &t[size_t(x) * 4];      // GL row 0: the image's bottom row
        const unsigned char* high = &t[size_t(4 + x) * 4]; // GL row 1: the image's top row
        EXPECT_EQ(low[0], qRed(bottom[x]));
        EXPECT_EQ(low[1], qGreen(bottom[x]));
        EXPECT_EQ(low[2], qBlue(bottom[x]));
        EXPECT_EQ(low[3], 255);
        EXPECT_EQ(high[0], qRed(top[x]));
        EXPECT_EQ(high[1], qGreen(top[x]));
        EXPECT_EQ(high[2], qBlue(top[x]));
        EXPECT_EQ(high[3], 255);
    }
}

TEST_F(TextureFactoryTest, ReadsJpegAndScalesOddSizesToPowersOfTwo) {
    writeImage(work.path() + "/photo.jpg", 16, 16, "JPG",
               [](int, int) { return qRgb(200, 40, 40); });
    writeImage(work.path() + "/odd.png", 3, 5, "PNG", [](int, int) { return qRgb(10, 200, 30); });
    testgl::StdoutCapture out;
    factory.loadTexture("photo", "photo.jpg");
    factory.loadTexture("odd", "odd.png");
    EXPECT_EQ(out.text().find("kan niet gelezen"), std::string::npos);

    GLint w = 0, h = 0;
    std::vector<unsigned char> photo = texels(factory.getTextureId("photo"), &w, &h);
    ASSERT_EQ(w, 16);
    ASSERT_EQ(h, 16);
    EXPECT_NEAR(photo[0], 200, 8); // JPEG is lossy
    EXPECT_NEAR(photo[1], 40, 8);
    EXPECT_EQ(photo[3], 255);

    std::vector<unsigned char> odd = texels(factory.getTextureId("odd"), &w, &h);
    EXPECT_EQ(w & (w - 1), 0);
    EXPECT_EQ(h & (h - 1), 0);
    ASSERT_GT(w * h, 0);
    EXPECT_EQ(odd[1], 200);
}

} // namespace
