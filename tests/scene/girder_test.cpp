// Girders on real GL: the box a rect emits and the way its sides wind
// (captured with feedback), and each side's own texture (rendered pixels).
#include "scene/girderrect.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(Girder, ARectHangsFromItsPositionAndFiveSidesWindOutwardsTheBottomInwards) {
    GirderRect girder(2, 3, 4);
    girder.position = FPoint(1, 5, 0); // the front top left corner
    const auto triangles = testgl::capture([&] { girder.draw(); });
    ASSERT_EQ(triangles.size(), 12u); // six quads
    float low[3] = {9, 9, 9}, high[3] = {-9, -9, -9};
    const float centre[3] = {2, 3.5f, -2};
    int inwards = 0;
    for (const testgl::Polygon& t : triangles) {
        const float a[3] = {t[1].x - t[0].x, t[1].y - t[0].y, t[1].z - t[0].z};
        const float b[3] = {t[2].x - t[0].x, t[2].y - t[0].y, t[2].z - t[0].z};
        const float normal[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                 a[0] * b[1] - a[1] * b[0]};
        float outward = 0;
        for (int i = 0; i < 3; ++i) {
            outward += normal[i] * ((&t[0].x)[i] - centre[i]);
            for (const testgl::Vertex& v : t)
                low[i] = std::min(low[i], (&v.x)[i]), high[i] = std::max(high[i], (&v.x)[i]);
        }
        if (outward < 0)
            EXPECT_NEAR(t[0].y + t[1].y + t[2].y, 6, 1e-3) << "only the bottom (y 2) winds in";
        inwards += outward < 0;
    }
    EXPECT_EQ(inwards, 2);
    const float expected[2][3] = {{1, 2, -4}, {3, 5, 0}};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::abs(low[i] - expected[0][i]) + std::abs(high[i] - expected[1][i]) < 1e-3);
}

TEST(Girder, EachSideShowsItsOwnTexture) {
    testgl::TempWorkDir dir;
    GirderRect box(2, 2, 2);
    box.position = FPoint(-1, 1, 1); // centred on the origin
    const unsigned colours[6] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xff00ff, 0x00ffff};
    for (int side = 0; side < 6; ++side) {
        const QString file = QString("side%1.png").arg(side);
        testgl::writeImage(file, 2, 2, [&](int, int) { return 0xff000000 | colours[side]; });
        textureFactory->loadTexture(file.toStdString(), file.toStdString());
        box.setTexture(side, file.toStdString());
    }
    // Turns that bring the sides front, back, left, right, top, bottom to the viewer (+z).
    const float turns[6][4] = {{0, 0, 1, 0},   {180, 0, 1, 0}, {90, 0, 1, 0},
                               {-90, 0, 1, 0}, {90, 1, 0, 0},  {-90, 1, 0, 0}};
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    for (int side = 0; side < 6; ++side) {
        const QRgb seen = testgl::centre([&] {
            glRotatef(turns[side][0], turns[side][1], turns[side][2], turns[side][3]);
            box.draw();
        });
        EXPECT_EQ(seen & 0xffffff, colours[side]) << "side " << side;
    }
}

} // namespace
