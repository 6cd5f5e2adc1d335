// Model_3DS against hostile files: a file over the size limit is refused
// before it is read, and many materials naming one image or one colour share
// one GL texture, a refused image being reported once.
#include "model3ds/model3ds.h"
#include "model3ds/writer3ds.h"
#include "tests/support/gltest.h"
#include "tests/support/hugepng.h"
#include "textures/modeltextures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(Model3DSLimits, SparseFileOverTheLimitIsRefusedUnread) {
    testgl::TempWorkDir work;
    QFile file(work.path + "/huge.3ds");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(5LL << 30)); // holes only
    testgl::StdoutCapture out;
    ModelTextures store;
    Model_3DS().load("huge.3ds", store);
    EXPECT_EQ(out.text(), "Model_3DS : huge.3ds inladen is begonnen \n"
                          "Model_3DS : huge.3ds is 5368709120 bytes, meer dan 67108864 : "
                          "wordt niet ingeladen \n");
}

TEST(Model3DSLimits, MaterialsShareOneTexturePerFileAndColour) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    testgl::writeImage(work.path + "/m/tex.png", 4, 4, [](int, int) { return 0xff10ff20u; });
    work.write("m/huge.png", testgl::hugePngHeader(30000, 30000));
    const char* maps[] = {"TEX.PNG", "huge.png", ""}; // an image, a refused one, none
    Writer3DS w;
    w.beginFile();
    for (int i = 0; i < 300; ++i)
        w.material("m" + std::to_string(i), 0.5f, 0.25f, 1.0f, maps[i % 3]);
    w.end();
    w.end();
    work.write("m/a.3ds", w.bytes());
    ModelTextures store;
    Model_3DS first, second;
    testgl::StdoutCapture out;
    first.load("m/a.3ds", store);
    second.load("m/a.3ds", store);
    // One image texture and one colour texture (the refused map keeps the
    // colour) for all 600 materials.
    EXPECT_EQ(store.textureCount(), 2);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(second.materials.at(i).texture.name, first.materials[i % 3 ? 1 : 0].texture.name);
    // The refusal is told once, to the first material naming the image.
    int told = 0;
    for (const Model_3DS* model : {&first, &second})
        for (const Model_3DS::Material& material : model->materials)
            told += material.textureProblem.find("m/huge.png is 30000 x 30000 beeldpunten") !=
                    std::string::npos;
    EXPECT_EQ(told, 1);
    EXPECT_NE(first.materials[1].textureProblem, "");
}

TEST(Model3DSLimits, TextureMapsLeavingTheModelsDirectoryAreNotRead) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    testgl::writeImage(work.path + "/secret.png", 4, 4, [](int, int) { return 0xffff0000u; });
    testgl::writeImage(work.path + "/m/sub/in.png", 4, 4, [](int, int) { return 0xff00ff00u; });
    const std::string maps[] = {"../secret.png", (work.path + "/secret.png").toStdString(),
                                "\x1b/../../secret.png", "../secret.png", "sub/in.png"};
    Writer3DS w;
    w.beginFile();
    for (const std::string& map : maps)
        w.material("m", 1, 1, 1, map);
    w.end();
    w.end();
    work.write("m/a.3ds", w.bytes());
    ModelTextures store;
    Model_3DS model;
    testgl::StdoutCapture out;
    model.load("m/a.3ds", store);
    const GLuint white = store.colour(255, 255, 255);
    for (int i = 0; i < 5; ++i) // the image beside the model in a subfolder is still read
        EXPECT_EQ(model.materials.at(i).texture.name == white, i < 4) << maps[i];
    for (int i = 0; i < 5; ++i) // for the builder to report at the map's place
        EXPECT_EQ(model.materials[i].textureProblem,
                  i < 4 ? "ligt buiten de map van het model" : "")
            << maps[i];
    EXPECT_EQ(out.text().find('\x1b'), std::string::npos); // no escape byte reaches the terminal
}

} // namespace
