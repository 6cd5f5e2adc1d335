// Quad: the cell grid and texture coordinates it emits (GL feedback), a few
// cells checked where the walk turns.
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <algorithm>
#include <array>
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

// The tiles of a large quad (what the world compiles it into) emit exactly
// the triangles of its direct drawing, each once, and every vertex lies in
// the box its own tile was announced with (the box that culling trusts): a
// walk that made tiles of one side twice as wide, or put a cell in two
// tiles, fails. Each tile is told apart by the colour set when it begins.
TEST(Quad, TilesEmitExactlyTheCellsOfTheDirectDrawingInsideTheirBoxes) {
    struct Shape {
        float x, z, width, depth, repeat;
    };
    const Shape shapes[] = {{0, 0, 100, 60, 3}, {3.3f, -7.7f, 71, 95, 1}, {-1, 2, 32, 33, 5}};
    for (const Shape& shape : shapes) {
        Quad quad;
        TObject placement;
        placement.position = FPoint(shape.x, 0.5f, shape.z);
        const TextureFactory store;
        quad.width = shape.width;
        quad.height = shape.depth;
        quad.repeatX = quad.repeatZ = shape.repeat;
        auto key = [](const testgl::Polygon& p) {
            std::vector<float> k;
            for (const testgl::Vertex& v : p)
                k.insert(k.end(), {v.x, v.y, v.z, v.s, v.t});
            return k;
        };
        std::vector<std::vector<float>> direct, tiled;
        for (const testgl::Polygon& p : testgl::capture([&] { quad.draw(placement, store); }))
            direct.push_back(key(p));
        std::vector<std::array<float, 6>> boxes;
        for (const testgl::Polygon& p : testgl::capture([&] {
                 quad.drawTiles(
                     placement, store, 4,
                     [&](const float* lo, const float* hi) {
                         glColor3ub(GLubyte(boxes.size()), 0, 0);
                         boxes.push_back({lo[0], lo[1], lo[2], hi[0], hi[1], hi[2]});
                     },
                     [] {});
             })) {
            tiled.push_back(key(p));
            for (const testgl::Vertex& v : p) {
                const std::size_t tile = std::size_t(std::lround(v.r * 255));
                ASSERT_LT(tile, boxes.size());
                const auto& b = boxes[tile];
                EXPECT_TRUE(v.x >= b[0] - 1e-3f && v.x <= b[3] + 1e-3f && v.y >= b[1] - 1e-3f &&
                            v.y <= b[4] + 1e-3f && v.z >= b[2] - 1e-3f && v.z <= b[5] + 1e-3f)
                    << "vertex " << v.x << " " << v.z << " outside its tile " << tile;
            }
        }
        glColor3ub(255, 255, 255);
        ASSERT_GT(direct.size(), 100u);
        ASSERT_GT(boxes.size(), 4u);
        ASSERT_LT(boxes.size(), 256u); // tiles told apart by one colour byte
        std::sort(direct.begin(), direct.end());
        std::sort(tiled.begin(), tiled.end());
        EXPECT_EQ(tiled, direct) << "quad " << shape.width << " x " << shape.depth;
    }
}
