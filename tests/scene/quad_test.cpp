// Quad: the cell grid and texture coordinates it emits (GL feedback), a few
// cells checked where the walk turns.
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <cmath>
#include <gtest/gtest.h>

// Cell at polygons[2 * cell] and [2 * cell + 1]: corner (x, z), texture from
// (s, t) by (d, d); both triangles counter-clockwise seen from above.
static void expectCell(const std::vector<testgl::Polygon>& polygons, size_t cell, float x, float y,
                       float z, float s, float t, float d) {
    ASSERT_LT(2 * cell + 1, polygons.size());
    const float expected[6][5] = {{x, z, s, t},         {x, z + 2, s, t + d},
                                  {x + 2, z, s + d, t}, {x + 2, z, s + d, t},
                                  {x, z + 2, s, t + d}, {x + 2, z + 2, s + d, t + d}};
    for (int k = 0; k < 6; ++k) {
        const testgl::Vertex& v = polygons[2 * cell + k / 3].at(k % 3);
        const float* e = expected[k];
        EXPECT_LT(std::abs(v.x - e[0]) + std::abs(v.y - y) + std::abs(v.z - e[1]) +
                      std::abs(v.s - e[2]) + std::abs(v.t - e[3]),
                  1e-3)
            << "cell " << cell << " vertex " << k << ": " << v.x << " " << v.z << " " << v.s << " "
            << v.t;
    }
}

TEST(Quad, EmitsTwoMetreCellsRowByRowWithTheTextureRunningOn) {
    // 200 x 200, repeat 7: one repeat over 14 cells; s runs on into the next
    // row and starts afresh after 14 cells, t after 14 rows.
    Quad quad;
    TObject placement;
    placement.position = FPoint(0, 1.5f, 0);
    quad.width = quad.height = 200;
    quad.repeatX = quad.repeatZ = 7;
    const TextureFactory store;
    const auto polygons = testgl::capture([&] { quad.draw(placement, store); });
    ASSERT_EQ(polygons.size(), 2u * 100u * 100u);
    const float d = 0.98f / (200.0f / 7 / 2);
    expectCell(polygons, 13, -74, 1.5f, -100, 0.01f + 13 * d, 0.01f, d);
    expectCell(polygons, 14, -72, 1.5f, -100, 0.01f, 0.01f, d);
    expectCell(polygons, 100, -100, 1.5f, -98, 0.01f + 2 * d, 0.01f + d, d); // 100 % 14 = 2
    expectCell(polygons, 1400, -100, 1.5f, -72, 0.01f, 0.01f, d);
}
