// Model_3DS on a real GL context: its load messages and paths, its textures,
// and what draw() emits (batches, placement, texture coordinates, pixels).
#include "model3ds/model3ds.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"

#include <GL/gl.h>
#include <QColor>
#include <array>
#include <cmath>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

struct DrawCall {
    GLenum mode;
    GLsizei count;
    GLenum type;
    bool operator==(const DrawCall& o) const {
        return mode == o.mode && count == o.count && type == o.type;
    }
};
std::vector<DrawCall> drawCalls; // every glDrawElements of this process, in order

} // namespace

// Records each call, then hands it to the GL library: the model code, linked
// statically into this test, calls this definition.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    using Real = void (*)(GLenum, GLsizei, GLenum, const GLvoid*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glDrawElements"));
    drawCalls.push_back({mode, count, type});
    real(mode, count, type, indices);
}

namespace {

using Floats = std::vector<float>;

// Loads bytes saved at path (relative to a fresh working directory) into model.
std::string loadAt(Model_3DS& model, const testgl::TempWorkDir& dir, const std::string& bytes,
                   const std::string& path = "m.3ds") {
    dir.write(QString::fromStdString(path), bytes);
    testgl::StdoutCapture out;
    model.load(path.c_str());
    return out.text();
}

// One triangle in the world's x-y plane covering the square [-1, 1]^2, with
// its mapping at the texture's centre, in one group of material.
std::string cover(const std::string& material, float r, float g, float b,
                  const std::string& map = "", const std::string& groupMaterial = "") {
    Writer3DS w;
    w.beginFile();
            w.material(material, r, g, b, map);
            Writer3DS::Mesh mesh;
            mesh.name = "cover";
            // File axes, z up: world (X, Y, 0) is file (X, 0, Y).
            mesh.vertices = {-1, 0, -1, 3, 0, -1, -1, 0, 3};
            mesh.texCoords = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
            mesh.faces = {0, 1, 2};
            mesh.groups = {{groupMaterial.empty() ? material : groupMaterial, {0}}};
            w.object(mesh);
        w.end();
    w.end();
    return w.bytes();
}

// Draws the model alone, unlit, looking down -z at [-1, 1]^2; the centre pixel.
QRgb centrePixel(Model_3DS& model) {
    testgl::makeCurrent();
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor4f(1, 1, 1, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    model.draw();
    glFinish();
    unsigned char p[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return qRgb(p[0], p[1], p[2]);
}

// Column-major 4 x 4 product, as GL multiplies.
using Matrix = std::array<float, 16>;
Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
    return m;
}
Matrix rotation(float degrees, int axis) {
    const float a = degrees * 3.14159265f / 180, c = std::cos(a), s = std::sin(a);
    const int i = (axis + 1) % 3, j = (axis + 2) % 3; // the plane turned: i toward j
    Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[i * 4 + i] = c;
    m[i * 4 + j] = s;
    m[j * 4 + i] = -s;
    m[j * 4 + j] = c;
    return m;
}

class Model3DSTest : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        drawCalls.clear();
    }
    testgl::TempWorkDir dir;
};

TEST_F(Model3DSTest, DrawsOneTriangleBatchOfShortIndicesPerMaterialGroup) {
    Model_3DS model;
    loadAt(model, dir, fixtures3ds::twoObjects());
    ASSERT_EQ(model.getObjectCount(), 2);
    drawCalls.clear();
    model.draw();
    EXPECT_EQ(drawCalls, (std::vector<DrawCall>{{GL_TRIANGLES, 3, GL_UNSIGNED_SHORT},
                                                {GL_TRIANGLES, 6, GL_UNSIGNED_SHORT},
                                                {GL_TRIANGLES, 3, GL_UNSIGNED_SHORT}}));
    // Every face once per group that lists it: 1 + 2 + 1 triangles.
    EXPECT_EQ(testgl::capture([&] { model.draw(); }, 16).size(), 4u);
}

TEST_F(Model3DSTest, ObjectWithoutGroupsDrawsNothing) {
    Writer3DS w;
    w.beginFile();
            Writer3DS::Mesh mesh;
            mesh.name = "bare";
            mesh.vertices = {0, 0, 0, 1, 0, 0, 0, 0, 1};
            mesh.faces = {0, 1, 2};
            w.object(mesh);
        w.end();
    w.end();
    Model_3DS model;
    loadAt(model, dir, w.bytes());
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_TRUE(testgl::capture([&] { model.draw(); }, 16).empty());
    EXPECT_TRUE(drawCalls.empty());
}

TEST_F(Model3DSTest, PlacesTheModelTranslatedRotatedAboutXThenYThenZAndScaled) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 1, 1);
            Writer3DS::Mesh mesh;
            mesh.name = "t";
            mesh.vertices = {1, 2, 3, 0, 0, 0, 0, 0, 0.5f}; // world (1, 3, -2), origin, (0, 0.5, 0)
            mesh.faces = {0, 1, 2};
            mesh.groups = {{"m", {0}}};
            w.object(mesh);
        w.end();
    w.end();
    Model_3DS model;
    loadAt(model, dir, w.bytes());
    model.position = FPoint(1, -2, 0.5f);
    model.rotation = FPoint(30, 45, 60);
    model.scale = FPoint(2, 0.5f, 1.5f);

    auto polygons = testgl::capture([&] { model.draw(); }, 16);
    ASSERT_EQ(polygons.size(), 1u);
    ASSERT_EQ(polygons[0].v.size(), 3u);
    const Matrix translate{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, -2, 0.5f, 1};
    const Matrix scale{2, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1.5f, 0, 0, 0, 0, 1};
    const Matrix m = multiply(
        multiply(multiply(multiply(translate, rotation(30, 0)), rotation(45, 1)), rotation(60, 2)),
        scale);
    const float v[3] = {1, 3, -2};
    for (int r = 0; r < 3; ++r) {
        const float expected = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r];
        const testgl::Vertex& got = polygons[0].v[0];
        EXPECT_NEAR((&got.x)[r], expected, 2e-3f) << "axis " << r;
    }
}

TEST_F(Model3DSTest, DrawLeavesTheModelViewMatrixAsItFoundIt) {
    Model_3DS model;
    loadAt(model, dir, fixtures3ds::twoObjects());
    model.position = FPoint(3, 4, 5);
    model.rotation = FPoint(10, 20, 30);
    model.scale = FPoint(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(33, 0, 1, 0);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    model.draw();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glPopMatrix();
    EXPECT_EQ(Floats(before, before + 16), Floats(after, after + 16));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Model3DSTest, TexturedObjectsUseTheirMappingOthersTheCurrentTextureCoordinate) {
    Model_3DS model;
    loadAt(model, dir, fixtures3ds::twoObjects());
    auto polygons = testgl::capture(
        [&] {
            glTexCoord2f(0.25f, 0.75f);
            model.draw();
        },
        16);
    ASSERT_EQ(polygons.size(), 4u);
    // "left", group "red": face 0 of vertices 0, 1, 2, mapped (0,0), (1,0), (1,1).
    std::vector<Floats> st;
    for (const testgl::Vertex& v : polygons[0].v)
        st.push_back({v.s, v.t});
    EXPECT_EQ(st, (std::vector<Floats>{{0, 0}, {1, 0}, {1, 1}}));
    // "right" has no mapping coordinates.
    for (const testgl::Vertex& v : polygons[3].v)
        EXPECT_EQ((Floats{v.s, v.t}), (Floats{0.25f, 0.75f}));
}

TEST_F(Model3DSTest, MaterialColourReachesThePictureThroughItsTexture) {
    Model_3DS model;
    EXPECT_EQ(loadAt(model, dir, cover("red", 1, 0, 0)),
              "Model_3DS : m.3ds inladen is begonnen \nModel_3DS : m.3ds inladen is gedaan \n");
    ASSERT_EQ(model.getMaterialCount(), 1);
    EXPECT_TRUE(model.materials[0].textured);
    EXPECT_EQ(centrePixel(model), qRgb(255, 0, 0));
}

TEST_F(Model3DSTest, GroupWithoutMaterialIsDrawnUntextured) {
    Model_3DS model;
    loadAt(model, dir, cover("red", 1, 0, 0, "", "nope"));
    EXPECT_EQ(centrePixel(model), qRgb(255, 255, 255)); // the current colour
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));            // left on, as after any object
}

TEST_F(Model3DSTest, TextureMapIsFoundInTheModelDirectoryIgnoringCase) {
    testgl::writePng(dir.path() + "/maps/models/blue.png", 4, 4, 0x0000ffffu);
    Model_3DS model;
    loadAt(model, dir, cover("m", 1, 0, 0, "BLUE.PNG"), "maps/models/m.3ds");
    EXPECT_EQ(model.directory, "maps/models/");
    EXPECT_EQ(centrePixel(model), qRgb(0, 0, 255));
}

TEST_F(Model3DSTest, TextureMapBesideAModelWithoutDirectoryIsFoundInTheWorkingDirectory) {
    testgl::writePng(dir.path() + "/green.png", 4, 4, 0x00ff00ffu);
    Model_3DS model;
    loadAt(model, dir, cover("m", 1, 0, 0, "green.png"));
    EXPECT_EQ(model.directory, "");
    EXPECT_EQ(centrePixel(model), qRgb(0, 255, 0));
}

TEST_F(Model3DSTest, MissingTextureMapKeepsTheMaterialColour) {
    Model_3DS model;
    loadAt(model, dir, cover("m", 1, 0, 0, "gone.png"));
    EXPECT_EQ(centrePixel(model), qRgb(255, 0, 0));
}

TEST_F(Model3DSTest, ImageAlphaIsDroppedSoTheAlphaTestOfTheWorldKeepsTheModel) {
    testgl::writePng(dir.path() + "/half.png", 4, 4, 0x00ff0080u); // half transparent green
    Model_3DS model;
    loadAt(model, dir, cover("m", 1, 0, 0, "half.png"));
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_EQUAL, 1.0f);
    const QRgb pixel = centrePixel(model);
    glDisable(GL_ALPHA_TEST);
    EXPECT_EQ(pixel, qRgb(0, 255, 0));
}

TEST_F(Model3DSTest, QuotedPathLoadsTheSameFileAndDirectoryEndsAtTheLastSeparator) {
    dir.write("sub/m.3ds", fixtures3ds::twoObjects());
    Model_3DS quoted;
    std::string out;
    {
        testgl::StdoutCapture capture;
        quoted.load("\"sub/m.3ds\"");
        out = capture.text();
    }
    EXPECT_EQ(out, "Model_3DS : \"sub/m.3ds\" inladen is begonnen \n"
                   "Model_3DS : sub/m.3ds inladen is gedaan \n");
    EXPECT_EQ(quoted.getObjectCount(), 2);
    EXPECT_EQ(quoted.directory, "sub/");

    Model_3DS mixed;
    testgl::StdoutCapture capture;
    mixed.load("a\\b/c\\d.3ds");
    EXPECT_EQ(mixed.directory, "a\\b/c\\");
}

TEST_F(Model3DSTest, FileThatCannotBeOpenedLeavesAnEmptyModelAndSaysSo) {
    Model_3DS model;
    std::string out;
    {
        testgl::StdoutCapture capture;
        model.load("maps/none.3ds");
        out = capture.text();
    }
    EXPECT_EQ(out, "Model_3DS : maps/none.3ds inladen is begonnen \n"
                   "Model_3DS : maps/none.3ds kan niet geopend worden \n");
    EXPECT_EQ(model.getObjectCount(), 0);
    EXPECT_EQ(model.getMaterialCount(), 0);
    EXPECT_TRUE(testgl::capture([&] { model.draw(); }, 16).empty());

    Model_3DS empty;
    testgl::StdoutCapture capture;
    empty.load("");
    EXPECT_EQ(capture.text(), "Model_3DS :  inladen is begonnen \n"
                              "Model_3DS :  kan niet geopend worden \n");
}

TEST(GLTexture, SolidColourIsATwoByTwoRgbTexture) {
    testgl::makeCurrent();
    GLTexture texture;
    texture.createSolid(10, 20, 30);
    ASSERT_NE(texture.name, 0u);
    texture.bind();
    GLint width = 0, height = 0, alignment = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(alignment, 1);
    std::vector<unsigned char> texels(12);
    glPixelStorei(GL_PACK_ALIGNMENT, 1); // rows of 6 bytes
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(texels, (std::vector<unsigned char>{10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}));
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST(GLTexture, ImageFileGivesAMipmappedTextureAndAMissingFileAnEmptyOne) {
    testgl::TempWorkDir dir;
    testgl::writePng(dir.path() + "/a.png", 8, 4, 0x11223344u);
    GLTexture image;
    image.loadFile("a.png");
    image.bind();
    GLint width = 0, height = 0, smallest = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &smallest);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(smallest, 1); // levels down to 1 x 1
    std::vector<unsigned char> texels(8 * 4 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ((std::vector<unsigned char>(texels.begin(), texels.begin() + 3)),
              (std::vector<unsigned char>{0x11, 0x22, 0x33}));

    GLTexture missing;
    missing.loadFile("none.png");
    EXPECT_NE(missing.name, 0u);
    EXPECT_NE(missing.name, image.name);
    missing.bind();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
}

} // namespace
