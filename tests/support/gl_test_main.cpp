// Test entry of every test binary: a QApplication (on the X display that
// test.sh provides, Xvfb when headless), the GL widget, the process-wide
// texture factory as the canvas would create it, then GoogleTest.
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testgl::makeCurrent();
    textureFactory = new TextureFactory;
    return RUN_ALL_TESTS();
}
