// Test entry of every test binary: a QApplication (on the X display that
// test.sh provides, Xvfb when headless), the GL widget, then GoogleTest.
#include "tests/support/gltest.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testgl::makeCurrent();
    return RUN_ALL_TESTS();
}
