// Window: the main window; the canvas, in a window container, is its central widget.
#include "app/window.h"

#include "app/canvas.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {
constexpr int kWidth = 900; // client area, pixels
constexpr int kHeight = 700;
} // namespace

Window::Window(const Options& options, const Settings& settings)
    : QMainWindow(nullptr, Qt::WindowFlags()) {
    setWindowTitle("Kolvar");
    canvas = new Canvas(options, settings);
    QWidget* container = QWidget::createWindowContainer(canvas, this);
    // The container passes keyboard focus on to the canvas.
    container->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(container);
    container->setFocus();
    resize(kWidth, kHeight);
}

void Window::keyPressEvent(QKeyEvent* event) {
    QCoreApplication::sendEvent(canvas, event);
}

void Window::keyReleaseEvent(QKeyEvent* event) {
    QCoreApplication::sendEvent(canvas, event);
}
