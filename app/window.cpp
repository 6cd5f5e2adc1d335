// Window: the main window; the canvas is its central widget.
#include "app/window.h"

#include "app/canvas.h"

namespace {
constexpr int kWidth = 900; // client area, pixels
constexpr int kHeight = 700;
} // namespace

Window::Window(const Options& options) : QMainWindow(nullptr, Qt::WindowFlags()) {
    setWindowTitle("Kolvar");
    canvas = new Canvas(options, this);
    setCentralWidget(canvas);
    resize(kWidth, kHeight);
}
