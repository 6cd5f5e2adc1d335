// Quad: the cell grid and texture coordinates it emits, captured with GL
// feedback, and the texture state it leaves behind.
#include "scene/quad.h"
#include "tests/scene/scenetest.h"
#include "tests/support/gltest.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using testgl::Polygon;
using testgl::Vertex;

constexpr float kTexTolerance = 1e-4f;

Quad makeQuad(float x, float z, float width, float height, float repeatX = 10, float repeatZ = 10) {
    Quad quad;
    quad.position = FPoint(x, 0.0f, z);
    quad.width = width;
    quad.height = height;
    quad.repeatX = repeatX;
    quad.repeatZ = repeatZ;
    return quad;
}

void expectVertex(const Vertex& v, float x, float y, float z, float s, float t) {
    EXPECT_NEAR(v.x, x, scenetest::kTolerance);
    EXPECT_NEAR(v.y, y, scenetest::kTolerance);
    EXPECT_NEAR(v.z, z, scenetest::kTolerance);
    EXPECT_NEAR(v.s, s, kTexTolerance);
    EXPECT_NEAR(v.t, t, kTexTolerance);
}

// Checks that cell (two triangles starting at polygons[2 * cell]) has its
// corner (x, z) and spans the texture from (s, t) by (ds, dt), vertex by
// vertex in the documented order.
void expectCell(const std::vector<Polygon>& polygons, size_t cell, float x, float y, float z,
                float s, float t, float ds, float dt) {
    ASSERT_LT(2 * cell + 1, polygons.size());
    const Polygon& first = polygons[2 * cell];
    const Polygon& second = polygons[2 * cell + 1];
    ASSERT_EQ(first.v.size(), 3u);
    ASSERT_EQ(second.v.size(), 3u);
    expectVertex(first.v[0], x, y, z, s, t);
    expectVertex(first.v[1], x, y, z + 2, s, t + dt);
    expectVertex(first.v[2], x + 2, y, z, s + ds, t);
    expectVertex(second.v[0], x + 2, y, z, s + ds, t);
    expectVertex(second.v[1], x, y, z + 2, s, t + dt);
    expectVertex(second.v[2], x + 2, y, z + 2, s + ds, t + dt);
}

TEST(Quad, TwentyByTwentyWithRepeatTenShowsTheWholeTextureInEveryCell) {
    Quad quad = makeQuad(0, 0, 20, 20);
    quad.position.y = 1.5f;
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 200u);
    for (size_t cell = 0; cell < 100; ++cell) {
        const float x = -10.0f + 2.0f * float(cell % 10);
        const float z = -10.0f + 2.0f * float(cell / 10);
        expectCell(polygons, cell, x, 1.5f, z, 0.01f, 0.01f, 0.98f, 0.98f);
    }
}

TEST(Quad, BothTrianglesWindCounterClockwiseSeenFromAbove) {
    Quad quad = makeQuad(0, 0, 2, 2);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 2u);
    for (const Polygon& p : polygons) {
        // y component of (v1 - v0) x (v2 - v0): positive when CCW seen from +y.
        const float ax = p.v[1].x - p.v[0].x, az = p.v[1].z - p.v[0].z;
        const float bx = p.v[2].x - p.v[0].x, bz = p.v[2].z - p.v[0].z;
        EXPECT_GT(az * bx - ax * bz, 0.0f);
    }
}

TEST(Quad, RepeatSevenRestartsTheTextureEveryFourteenCellsAndCarriesSIntoTheNextRow) {
    Quad quad = makeQuad(0, 0, 200, 200, 7, 7);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 2u * 100u * 100u);
    const float step = 0.0686f; // 0.98 / ((200 / 7) / 2)
    for (size_t row = 0; row < 3; ++row) {
        for (size_t col = 0; col < 100; ++col) {
            const size_t cell = row * 100 + col;
            // s runs on through the rows: the cell's place in the whole walk counts.
            const float s = 0.01f + step * float(cell % 14);
            const float t = 0.01f + step * float(row % 14);
            expectCell(polygons, cell, -100.0f + 2 * float(col), 0, -100.0f + 2 * float(row), s, t,
                       step, step);
        }
    }
    // The 15th row starts t afresh.
    EXPECT_NEAR(polygons[2 * 14 * 100].v[0].t, 0.01f, kTexTolerance);
    EXPECT_NEAR(polygons[2 * 13 * 100].v[0].t, 0.01f + 13 * step, kTexTolerance);
}

TEST(Quad, AnOddCellCountPerRowStartsTheNextRowWhereTheRowEnded) {
    // 3 cells a row; one repeat covers 6 cells, so ds = 0.98 / 6.
    Quad quad = makeQuad(0, 0, 6, 4, 0.5f, 10);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 12u);
    const float ds = 0.98f / 6;
    EXPECT_NEAR(polygons[0].v[0].s, 0.01f, kTexTolerance);
    EXPECT_NEAR(polygons[4].v[0].s, 0.01f + 2 * ds, kTexTolerance);
    // Second row, first cell: directly above the first cell, but a different slice.
    EXPECT_NEAR(polygons[6].v[0].x, -3.0f, scenetest::kTolerance);
    EXPECT_NEAR(polygons[6].v[0].z, 0.0f, scenetest::kTolerance);
    EXPECT_NEAR(polygons[6].v[0].s, 0.01f + 3 * ds, kTexTolerance);
}

TEST(Quad, CellsStartAtTheTruncatedLowerEdgeAndMayReachPastTheUpperEdge) {
    // Centred at x 0.5 with width 3: edges -1.0 and 2.0; cells at x -1 and 1.
    Quad quad = makeQuad(0.5f, 0.5f, 3, 3);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 8u); // 2 x 2 cells
    float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    for (const Polygon& p : polygons)
        for (const Vertex& v : p.v) {
            minX = std::fmin(minX, v.x);
            maxX = std::fmax(maxX, v.x);
            minZ = std::fmin(minZ, v.z);
            maxZ = std::fmax(maxZ, v.z);
        }
    EXPECT_NEAR(minX, -1.0f, scenetest::kTolerance);
    EXPECT_NEAR(maxX, 3.0f, scenetest::kTolerance);
    EXPECT_NEAR(minZ, -1.0f, scenetest::kTolerance);
    EXPECT_NEAR(maxZ, 3.0f, scenetest::kTolerance);
}

TEST(Quad, ARepeatOfZeroLeavesThatTextureCoordinateWhereItStarts) {
    Quad quad = makeQuad(0, 0, 8, 8, 0, 1);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 32u);
    bool tAdvanced = false;
    for (const Polygon& p : polygons)
        for (const Vertex& v : p.v) {
            ASSERT_TRUE(std::isfinite(v.s) && std::isfinite(v.t));
            EXPECT_NEAR(v.s, 0.01f, kTexTolerance);
            tAdvanced = tAdvanced || v.t > 0.1f;
        }
    EXPECT_TRUE(tAdvanced);

    quad.repeatX = 1;
    quad.repeatZ = 0;
    polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 32u);
    for (const Polygon& p : polygons)
        for (const Vertex& v : p.v) {
            ASSERT_TRUE(std::isfinite(v.s) && std::isfinite(v.t));
            EXPECT_NEAR(v.t, 0.01f, kTexTolerance);
        }
}

TEST(Quad, AZeroWidthQuadStillGivesFiniteTextureCoordinates) {
    // The truncated lower edge 0 lies below the upper edge 0.5: one column of cells.
    Quad quad = makeQuad(0.5f, 0, 0, 4);
    auto polygons = testgl::capture([&] { quad.draw(); });
    ASSERT_EQ(polygons.size(), 4u);
    for (const Polygon& p : polygons)
        for (const Vertex& v : p.v)
            EXPECT_TRUE(std::isfinite(v.s) && std::isfinite(v.t));
}

TEST(Quad, AQuadTooLargeToCompileIsRefusedWithAMessage) {
    // 8000 x 8000 units would be 16 million cells; 4000 x 4000 is the most.
    Quad huge = makeQuad(0, 0, 8000, 8000);
    testgl::StdoutCapture out;
    auto polygons = testgl::capture([&] { huge.draw(); });
    EXPECT_TRUE(polygons.empty());
    EXPECT_EQ(out.text(), "Quad van 8000 x 8000 is te groot, meer dan 4000000 cellen: wordt niet "
                          "getekend \n");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    // The same quad as a long, narrow strip is within the limit.
    Quad strip = makeQuad(0, 0, 8000, 2);
    EXPECT_EQ(testgl::capture([&] { strip.draw(); }, 5000).size(), 8000u);
}

TEST(Quad, ShowsItsTextureOrTheCurrentColourAndLeavesTexturingOn) {
    const unsigned red = scenetest::colourTexture("quad-red", 0xff0000);
    Quad quad = makeQuad(0, 0, 4, 4);
    quad.setTexture("quad-red");
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    auto fromAbove = [] { glRotatef(90.0f, 1.0f, 0.0f, 0.0f); };
    auto drawFromOff = [&] {
        glDisable(GL_TEXTURE_2D);
        quad.draw();
    };
    auto pixel = scenetest::centrePixel(fromAbove, drawFromOff);
    EXPECT_GT(pixel[0], 200);
    EXPECT_LT(pixel[1], 50);
    EXPECT_LT(pixel[2], 50);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), red);

    quad.textured = false;
    pixel = scenetest::centrePixel(fromAbove, drawFromOff);
    EXPECT_GT(pixel[1], 200); // white, not red
    EXPECT_GT(pixel[2], 200);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    quad.setTexture("quad-red"); // switches texturing on again
    EXPECT_TRUE(quad.textured);
}

TEST(Quad, IsFlatWhateverItsBoxSays) {
    Quad quad = makeQuad(0, 0, 6, 4);
    quad.boxWidth = 1;
    quad.boxHeight = 9;
    quad.boxDepth = 2;
    EXPECT_EQ(quad.getWidth(), 6.0f);
    EXPECT_EQ(quad.getHeight(), 0.0f);
    EXPECT_EQ(quad.getDepth(), 4.0f);
}

} // namespace
