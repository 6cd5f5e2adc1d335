// The default world as the program loads it (maps/basicMap.xml and its
// includes, read by the real loader from the repository): it loads without a
// message of failure, every texture key a blueprint uses has a picture, a car
// can go round the whole road network, and the start view has a drivable car
// on the road ahead.
#include "camera/camera.h"
#include "mapfile/maploader.h"
#include "scene/girder.h"
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(DefaultWorld, LoadsCleanlyWithItsTexturesAndADrivableRoadNetwork) {
    testgl::makeCurrent();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(qEnvironmentVariable("KOLVAR_SOURCE_DIR"));
    // A factory of its own, so that other tests' textures do not count.
    TextureFactory* global = textureFactory;
    TextureFactory factory;
    textureFactory = &factory;
    Map world;
    testgl::StdoutCapture out;
    const bool loaded = MapLoader(&world).load("maps/basicMap.xml");
    textureFactory = global;
    QDir::setCurrent(previous);
    const std::string console = out.text();
    ASSERT_TRUE(loaded) << console;
    for (const char* failure : {"kan niet", "teveel", "setContent", "fileerror", "niet gekend",
                                "beschadigd", "fout:", "waarschuwing:"})
        EXPECT_EQ(console.find(failure), std::string::npos) << failure << "\n" << console;

    int checked = 0;
    auto expectPicture = [&](const std::string& blueprint, const std::string& key) {
        const GLuint name = factory.getTextureId(key);
        ASSERT_NE(name, 0u) << blueprint << " uses the unknown texture key " << key;
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GT(width, 0) << blueprint << ": texture " << key << " is empty";
        ++checked;
    };
    for (const auto& [key, blueprint] : world.blueprints) {
        if (auto* quad = dynamic_cast<Quad*>(blueprint))
            expectPicture(key, quad->textureKey);
        if (auto* girder = dynamic_cast<Girder*>(blueprint))
            for (const auto& [side, textureKey] : girder->textureKeys)
                expectPicture(key + " side " + std::to_string(side), textureKey);
    }
    EXPECT_GT(checked, 20);

    // Is a car at (x, z) with this heading (degrees, 0 drives towards +z) on the road?
    auto carFits = [&](float x, float z, float heading) {
        ObjectTracker car(nullptr);
        car.position = FPoint(x, 1.1f, z);
        car.rotation = FPoint(0, heading, 0);
        return Camera::isCarOnRoad(car, world.roadTrack, &world);
    };
    // Drives from (x0, z0) to (x1, z1) in half-unit steps, in both lanes
    // (2 units either side of the centre line) and both ways.
    auto expectDrivable = [&](float x0, float z0, float x1, float z1) {
        const float dx = x1 - x0, dz = z1 - z0, length = std::hypot(dx, dz);
        const float heading = std::atan2(dx, dz) * 180.0f / float(M_PI);
        for (float d = 0; d <= length; d += 0.5f)
            for (float lane : {-2.0f, 0.0f, 2.0f}) {
                const float x = x0 + (dx * d + dz * lane) / length;
                const float z = z0 + (dz * d - dx * lane) / length;
                EXPECT_TRUE(carFits(x, z, heading) && carFits(x, z, heading + 180))
                    << "off the road at (" << x << ", " << z << ") heading " << heading;
            }
    };
    // The loop's centre lines are x -64 and 64, z -88 and 56; the two roads
    // through the town cross at (0, -16).
    expectDrivable(-64, 56, -64, -88);
    expectDrivable(-64, -88, 64, -88);
    expectDrivable(64, -88, 64, 56);
    expectDrivable(64, 56, -64, 56);
    expectDrivable(0, 56, 0, -88);
    expectDrivable(-64, -16, 64, -16);
    EXPECT_TRUE(carFits(-60, -84, 135)) << "cutting a corner stays on the turn piece";
    EXPECT_FALSE(carFits(30, 30, 0)) << "the grass between the roads is not road";

    ASSERT_NE(world.camera, nullptr);
    EXPECT_FALSE(world.camera->collides(FPoint(0, 2.5f, 35), &world));
    bool carAhead = false;
    for (const auto& [key, name] : world.mobileKeys) {
        const TObject* car = world.findObject(key);
        ASSERT_NE(car, nullptr) << key;
        EXPECT_TRUE(carFits(car->position.x, car->position.z, car->rotation.y)) << key;
        // In the view along -z from the start point (0, 2.5, 35), less than 20 units away.
        carAhead = carAhead ||
                   (std::abs(car->position.x) <= 3 && car->position.z < 30 && car->position.z > 15);
    }
    EXPECT_TRUE(carAhead);
}

} // namespace
