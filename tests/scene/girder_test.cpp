// Girders on real GL: the box a rect emits and the way its sides wind,
// captured with feedback.
#include "scene/girderrect.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

TEST(Girder, ARectHangsFromItsPositionAndFiveSidesWindOutwardsTheBottomInwards) {
    GirderRect girder(2, 3, 4);
    TObject placement;
    placement.position = FPoint(1, 5, 0); // the front top left corner
    const TextureFactory store;
    const auto triangles = testgl::capture([&] { girder.draw(placement, store); });
    ASSERT_EQ(triangles.size(), 12u); // six quads
    float low[3] = {9, 9, 9}, high[3] = {-9, -9, -9};
    const float centre[3] = {2, 3.5f, -2};
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
        const bool bottom = std::abs(t[0].y + t[1].y + t[2].y - 6) < 1e-3; // y 2
        EXPECT_EQ(outward < 0, bottom) << "only the bottom winds inwards";
    }
    const float expected[2][3] = {{1, 2, -4}, {3, 5, 0}};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::abs(low[i] - expected[0][i]) + std::abs(high[i] - expected[1][i]) < 1e-3);
}
