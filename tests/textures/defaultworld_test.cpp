// The default world as the program loads it (maps/basicMap.xml and its
// includes, read by the real loader from the repository): it loads without a
// message of failure, a car can go round the whole road network, and the
// start view has a drivable car on the road ahead.
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>

TEST(DefaultWorld, LoadsCleanlyWithADrivableRoadNetworkAndACarAhead) {
    testgl::makeCurrent();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(qEnvironmentVariable("KOLVAR_SOURCE_DIR"));
    TextureFactory factory; // one of its own: others' textures do not count
    Map world(factory);
    testgl::StdoutCapture out;
    const bool loaded = !WorldBuilder::load("maps/basicMap.xml", world, factory).lost;
    QDir::setCurrent(previous);
    ASSERT_TRUE(loaded) << out.text();
    for (const char* failure : {"kan niet", "teveel", "setContent", "fileerror", "niet gekend",
                                "beschadigd", "fout:", "waarschuwing:"})
        EXPECT_EQ(out.text().find(failure), std::string::npos) << failure << "\n" << out.text();

    // Is a car at (x, z) with this heading (degrees, 0 drives towards +z) on the road?
    auto carFits = [&](float x, float z, float heading) {
        ObjectTracker car(nullptr);
        car.position = FPoint(x, 1.1f, z);
        car.rotation = FPoint(0, heading, 0);
        return Camera::isCarOnRoad(car, world);
    };
    // From (x0, z0) to (x1, z1) in half-unit steps, in both lanes (2 either
    // side of the centre line) and both ways: the loop's centre lines are
    // x -64 and 64, z -88 and 56; the two roads through the town cross at (0, -16).
    const float lines[6][4] = {{-64, 56, -64, -88}, {-64, -88, 64, -88}, {64, -88, 64, 56},
                               {64, 56, -64, 56},   {0, 56, 0, -88},     {-64, -16, 64, -16}};
    for (const auto& [x0, z0, x1, z1] : lines) {
        const float dx = x1 - x0, dz = z1 - z0, length = std::hypot(dx, dz);
        const float heading = std::atan2(dx, dz) * 180.0f / float(M_PI);
        for (float d = 0; d <= length; d += 0.5f)
            for (float lane : {-2.0f, 0.0f, 2.0f}) {
                const float x = x0 + (dx * d + dz * lane) / length;
                const float z = z0 + (dz * d - dx * lane) / length;
                EXPECT_TRUE(carFits(x, z, heading) && carFits(x, z, heading + 180))
                    << "off the road at (" << x << ", " << z << ") heading " << heading;
            }
    }
    EXPECT_TRUE(carFits(-60, -84, 135)) << "cutting a corner stays on the turn piece";
    EXPECT_FALSE(carFits(30, 30, 0)) << "the grass between the roads is not road";

    bool carAhead = false; // in the view along -z from the start point (0, 2.5, 35)
    for (Map::ObjectId id = 0; id < world.objectCount(); ++id) {
        const Map::PlacedObject& placed = world.placedObject(id);
        const std::string& key = placed.objectKey;
        if (placed.replaced || !world.isMobile(key))
            continue;
        const TObject* car = world.findObject(key);
        ASSERT_NE(car, nullptr) << key;
        EXPECT_TRUE(carFits(car->position.x, car->position.z, car->rotation.y)) << key;
        carAhead |= std::abs(car->position.x) <= 3 && car->position.z < 30 && car->position.z > 15;
    }
    EXPECT_TRUE(carAhead);
}
