// The default world as the program loads it (maps/basicMap.xml and its
// includes, read by the real loader from the repository): it loads without
// a message of failure, stays within the texture limit, every texture key a
// blueprint uses has a picture, a car footprint can go round the whole road
// network, and the start view has a drivable car on the road ahead.
#include "camera/camera.h"
#include "camera/objecttracker.h"
#include "mapfile/maploader.h"
#include "scene/girder.h"
#include "scene/quad.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <GL/gl.h>
#include <QDir>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace {

constexpr double kSkyHalfSize = 200.0; // the sky box spans -200..200 on x and z
constexpr float kLane = 2.0f;          // lane centre, world units from the road's centre line

// Loads the default world once, from the repository root, with a texture
// factory of its own so earlier tests' textures do not count.
class DefaultWorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testgl::makeCurrent();
        const QString previous = QDir::currentPath();
        QByteArray source = qgetenv("KOLVAR_SOURCE_DIR");
        if (!source.isEmpty())
            QDir::setCurrent(QString::fromLocal8Bit(source));
        TextureFactory* global = textureFactory;
        factory = new TextureFactory;
        textureFactory = factory;
        world = new Map;
        {
            testgl::StdoutCapture out;
            MapLoader loader(world);
            loaded = loader.load("maps/basicMap.xml");
            console = new std::string(out.text());
        }
        textureFactory = global;
        QDir::setCurrent(previous);
    }
    static void TearDownTestSuite() {
        delete world;
        delete console;
        // The factory's GL textures live as long as the context; the factory itself is not needed.
        delete factory;
    }
    void SetUp() override {
        testgl::makeCurrent();
        ASSERT_TRUE(loaded) << *console;
    }

    // Is a car at (x, z) with this heading (degrees, 0 drives towards +z) on the road?
    static bool carFits(float x, float z, float heading) {
        ObjectTracker car(nullptr);
        car.position = FPoint(x, 1.1f, z);
        car.rotation = FPoint(0, heading, 0);
        return Camera::isCarOnRoad(car, world->roadTrack, world);
    }
    // Drives a straight line from (x0, z0) to (x1, z1) in half-unit steps, in
    // both lanes and on the centre line; reports the first place that is off.
    static void expectDrivable(float x0, float z0, float x1, float z1) {
        const float dx = x1 - x0, dz = z1 - z0;
        const float length = std::sqrt(dx * dx + dz * dz);
        const float heading = std::atan2(dx, dz) * 180.0f / 3.14159265f;
        const float sideX = dz / length, sideZ = -dx / length;
        for (float d = 0; d <= length; d += 0.5f)
            for (float lane : {-kLane, 0.0f, kLane}) {
                const float x = x0 + dx * d / length + sideX * lane;
                const float z = z0 + dz * d / length + sideZ * lane;
                EXPECT_TRUE(carFits(x, z, heading))
                    << "off the road at (" << x << ", " << z << ") heading " << heading;
                EXPECT_TRUE(carFits(x, z, heading + 180.0f))
                    << "off the road at (" << x << ", " << z << ") heading " << heading + 180.0f;
            }
    }

    static TextureFactory* factory;
    static Map* world;
    static bool loaded;
    static std::string* console;
};

TextureFactory* DefaultWorldTest::factory = nullptr;
Map* DefaultWorldTest::world = nullptr;
bool DefaultWorldTest::loaded = false;
std::string* DefaultWorldTest::console = nullptr;

TEST_F(DefaultWorldTest, LoadsWithoutFailureMessagesWithinTheTextureLimit) {
    for (const char* failure :
         {"kan niet gelezen", "teveel textures", "setContent", "fileerror", "niet gekend"})
        EXPECT_EQ(console->find(failure), std::string::npos) << failure << "\n" << *console;

    size_t announced = 0;
    for (size_t at = console->find("Texture inladen : "); at != std::string::npos;
         at = console->find("Texture inladen : ", at + 1))
        ++announced;
    EXPECT_EQ(int(announced), factory->loadCount());
    EXPECT_GT(factory->loadCount(), 10);
    EXPECT_LE(factory->loadCount(), TextureFactory::kMaxTextures);

    // Every 3DS model named by the map was read to its end.
    size_t begun = 0, done = 0;
    for (size_t at = console->find(" inladen is begonnen"); at != std::string::npos;
         at = console->find(" inladen is begonnen", at + 1))
        ++begun;
    for (size_t at = console->find(" inladen is gedaan"); at != std::string::npos;
         at = console->find(" inladen is gedaan", at + 1))
        ++done;
    EXPECT_EQ(begun, done) << *console;
}

TEST_F(DefaultWorldTest, EveryTextureKeyInUseHasAPicture) {
    int checked = 0;
    auto expectPicture = [&](const std::string& blueprint, const std::string& key) {
        GLuint name = factory->getTextureId(key);
        ASSERT_NE(name, 0u) << blueprint << " uses the unknown texture key " << key;
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GT(width, 0) << blueprint << ": texture " << key << " is empty";
        ++checked;
    };
    for (const auto& [key, blueprint] : world->blueprints) {
        if (auto* quad = dynamic_cast<Quad*>(blueprint))
            expectPicture(key, quad->textureKey);
        if (auto* girder = dynamic_cast<Girder*>(blueprint))
            for (const auto& [side, textureKey] : girder->textureKeys)
                expectPicture(key + " side " + std::to_string(side), textureKey);
    }
    EXPECT_GT(checked, 20);
}

TEST_F(DefaultWorldTest, ACarCanDriveRoundTheLoopAndThroughTheCrossing) {
    // The loop's centre lines: x -64 and 64, z -88 and 56.
    expectDrivable(-64, 56, -64, -88);
    expectDrivable(-64, -88, 64, -88);
    expectDrivable(64, -88, 64, 56);
    expectDrivable(64, 56, -64, 56);
    // The two roads through the town, crossing at (0, -16).
    expectDrivable(0, 56, 0, -88);
    expectDrivable(-64, -16, 64, -16);
    // Cutting a corner diagonally stays on the turn pieces.
    for (auto [x, z, heading] : {std::tuple{-60.0f, -84.0f, 135.0f},
                                 {60.0f, -84.0f, 225.0f},
                                 {60.0f, 52.0f, 315.0f},
                                 {-56.0f, 48.0f, 45.0f}})
        EXPECT_TRUE(carFits(x, z, heading)) << x << ", " << z;
    // The grass between the roads is not road.
    EXPECT_FALSE(carFits(30, 30, 0));
    EXPECT_FALSE(carFits(-30, -50, 90));
    EXPECT_FALSE(carFits(0, 70, 0));
}

TEST_F(DefaultWorldTest, StartViewLooksAtADrivableCarOnTheRoadAhead) {
    ASSERT_NE(world->camera, nullptr);
    EXPECT_DOUBLE_EQ(world->camera->eye[0], 0.0);
    EXPECT_DOUBLE_EQ(world->camera->eye[1], 2.5);
    EXPECT_DOUBLE_EQ(world->camera->eye[2], 35.0);
    const FPoint eye(0.0f, 2.5f, 35.0f);
    EXPECT_FALSE(world->camera->collides(eye, world));

    ASSERT_GE(world->mobileKeys.size(), 2u);
    bool carAhead = false;
    for (const auto& [key, name] : world->mobileKeys) {
        TObject* car = world->findObject(key);
        ASSERT_NE(car, nullptr) << key;
        EXPECT_TRUE(carFits(car->position.x, car->position.z, car->rotation.y)) << key;
        // In the view along -z from the start point, less than 20 units away.
        if (std::abs(car->position.x) <= 3.0f && car->position.z < 30.0f && car->position.z > 15.0f)
            carAhead = true;
    }
    EXPECT_TRUE(carAhead);
}

TEST_F(DefaultWorldTest, SkyBoxEnclosesEveryPlacedObject) {
    TObject* sky = world->getBlueprint("skybox");
    ASSERT_NE(sky, nullptr);
    EXPECT_FLOAT_EQ(sky->getWidth(), 400.0f);
    EXPECT_FLOAT_EQ(sky->getHeight(), 100.0f);
    EXPECT_FLOAT_EQ(sky->getDepth(), 400.0f);
    for (const auto& [blueprintKey, group] : world->objects)
        for (const auto& [key, object] : group) {
            if (key == "skybox")
                continue;
            EXPECT_LE(std::abs(object->position.x), kSkyHalfSize) << blueprintKey << "/" << key;
            EXPECT_LE(std::abs(object->position.z), kSkyHalfSize) << blueprintKey << "/" << key;
            EXPECT_GE(object->position.y, 0.0f) << blueprintKey << "/" << key;
            EXPECT_LT(object->position.y, 100.0f) << blueprintKey << "/" << key;
        }
}

} // namespace
