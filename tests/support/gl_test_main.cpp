// Test entry of every test binary: a QApplication (on the X display that
// test.sh provides, Xvfb when headless), the GL widget, then GoogleTest.
// Under AddressSanitizer the leak check runs once the tests are done.
#include "tests/support/gltest.h"

#include <QApplication>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testgl::makeCurrent();
    const int status = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Now, while Mesa's driver is loaded: when the application closes the
    // display the driver is unloaded, and what it keeps for the process
    // (reachable from its own globals until then) could no longer be told
    // from a leak. Exits with LeakSanitizer's status if anything leaked.
    __lsan_do_leak_check();
#endif
    return status;
}
