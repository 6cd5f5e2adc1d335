// Road pieces: sizes and repeats of each class, the straight piece's
// stretching to its instance's x scale, and what the pieces emit.
#include "scene/road.h"
#include "tests/scene/scenetest.h"
#include "tests/support/gltest.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

using testgl::Polygon;
using testgl::Vertex;

struct Extent {
    float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
};

Extent extentOf(const std::vector<Polygon>& polygons) {
    Extent e;
    for (const Polygon& p : polygons)
        for (const Vertex& v : p.v) {
            e.minX = std::fmin(e.minX, v.x);
            e.maxX = std::fmax(e.maxX, v.x);
            e.minZ = std::fmin(e.minZ, v.z);
            e.maxZ = std::fmax(e.maxZ, v.z);
        }
    return e;
}

void expectSameGeometry(const std::vector<Polygon>& a, const std::vector<Polygon>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].v.size(), b[i].v.size());
        for (size_t k = 0; k < a[i].v.size(); ++k) {
            EXPECT_TRUE(scenetest::samePoint(a[i].v[k], b[i].v[k])) << "polygon " << i;
            EXPECT_FLOAT_EQ(a[i].v[k].s, b[i].v[k].s);
            EXPECT_FLOAT_EQ(a[i].v[k].t, b[i].v[k].t);
        }
    }
}

TEST(RoadFlat, TheRepeatAlongTheLengthDropsTheWholeUnitsBeyondAMultipleOfEight) {
    struct Case {
        float length, repeat;
    };
    const Case cases[] = {{40, 40}, {20, 16}, {8, 8}, {8.5f, 8.5f}, {-20, -16}, {6, 0}};
    for (int direction : {0, 1}) {
        for (const Case& c : cases) {
            RoadFlat road(direction);
            road.scale.x = c.length;
            testgl::capture([&] { road.draw(); });
            if (direction == 1) {
                EXPECT_EQ(road.repeatZ, c.repeat) << "length " << c.length;
                EXPECT_EQ(road.repeatX, 1.0f);
                EXPECT_EQ(road.width, 8.0f);
                EXPECT_EQ(road.height, c.length);
                EXPECT_EQ(road.getWidth(), 8.0f);
                EXPECT_EQ(road.getDepth(), c.length);
            } else {
                EXPECT_EQ(road.repeatX, c.repeat) << "length " << c.length;
                EXPECT_EQ(road.repeatZ, 1.0f);
                EXPECT_EQ(road.width, c.length);
                EXPECT_EQ(road.height, 8.0f);
                EXPECT_EQ(road.getWidth(), c.length);
                EXPECT_EQ(road.getDepth(), 8.0f);
            }
            EXPECT_EQ(road.getHeight(), 0.0f);
        }
    }
}

TEST(RoadFlat, AlongXItIsEightAcrossAndAsLongAsItsXScale) {
    RoadFlat road(0);
    road.position = FPoint(0, 2, 0);
    road.scale.x = 40;
    auto polygons = testgl::capture([&] { road.draw(); });
    ASSERT_EQ(polygons.size(), 2u * 20u * 4u);
    Extent e = extentOf(polygons);
    EXPECT_NEAR(e.minX, -20, scenetest::kTolerance);
    EXPECT_NEAR(e.maxX, 20, scenetest::kTolerance);
    EXPECT_NEAR(e.minZ, -4, scenetest::kTolerance);
    EXPECT_NEAR(e.maxZ, 4, scenetest::kTolerance);
    EXPECT_NEAR(polygons[0].v[0].y, 2, scenetest::kTolerance);
    // 40 repeats over 20 cells: each cell covers two texture lengths (ds 1.96);
    // across, one repeat over 4 cells (dt 0.245).
    EXPECT_NEAR(polygons[0].v[2].s - polygons[0].v[0].s, 1.96f, 1e-4f);
    EXPECT_NEAR(polygons[0].v[1].t - polygons[0].v[0].t, 0.245f, 1e-4f);
}

TEST(RoadFlat, AlongZItIsEightAcrossAndAsLongAsItsXScale) {
    RoadFlat road(1);
    road.position = FPoint(10, 0, -5);
    road.scale = FPoint(24, 3, 7); // only x matters
    auto polygons = testgl::capture([&] { road.draw(); });
    ASSERT_EQ(polygons.size(), 2u * 4u * 12u);
    Extent e = extentOf(polygons);
    EXPECT_NEAR(e.minX, 6, scenetest::kTolerance);
    EXPECT_NEAR(e.maxX, 14, scenetest::kTolerance);
    EXPECT_NEAR(e.minZ, -17, scenetest::kTolerance);
    EXPECT_NEAR(e.maxZ, 7, scenetest::kTolerance);
    EXPECT_NEAR(polygons[0].v[1].t - polygons[0].v[0].t, 1.96f, 1e-4f);
    EXPECT_NEAR(polygons[0].v[2].s - polygons[0].v[0].s, 0.245f, 1e-4f);
}

TEST(RoadFlat, ShorterThanEightItDrawsWithoutAdvancingTheTextureAlongItsLength) {
    for (int direction : {0, 1}) {
        RoadFlat road(direction);
        road.scale.x = 6;
        auto polygons = testgl::capture([&] { road.draw(); });
        ASSERT_EQ(polygons.size(), 2u * 3u * 4u);
        for (const Polygon& p : polygons)
            for (const Vertex& v : p.v) {
                const float along = direction == 1 ? v.t : v.s;
                ASSERT_TRUE(std::isfinite(v.s) && std::isfinite(v.t));
                EXPECT_NEAR(along, 0.01f, 1e-4f) << "direction " << direction;
            }
    }
}

TEST(Road, TurnPiecesDrawLikeQuadsOfTheirSizeWhateverTheirDirection) {
    auto squareQuad = [](float side) {
        Quad quad;
        quad.position = FPoint(3, 1, -2);
        quad.width = side;
        quad.height = side;
        quad.repeatX = 1;
        quad.repeatZ = 1;
        return testgl::capture([&] { quad.draw(); });
    };
    auto pieceAt = [](Road& piece) {
        piece.position = FPoint(3, 1, -2);
        return testgl::capture([&] { piece.draw(); });
    };
    const auto square16 = squareQuad(16);
    const auto square32 = squareQuad(32);
    ASSERT_EQ(square16.size(), 2u * 8u * 8u);
    for (int direction = 0; direction < 4; ++direction) {
        RoadFlatTurn flatTurn(direction);
        RoadTurn turn(direction);
        RoadTurnLarge large(direction);
        expectSameGeometry(pieceAt(flatTurn), square16);
        expectSameGeometry(pieceAt(turn), square16);
        expectSameGeometry(pieceAt(large), square32);
    }
}

} // namespace
