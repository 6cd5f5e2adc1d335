// Window: the main window, titled "Kolvar", 900 x 700; the canvas is its
// whole client area.
#pragma once

#include <QMainWindow>

class Canvas;
struct Options;
struct Settings;

class Window : public QMainWindow {
    Q_OBJECT
public:
    Window(const Options& options, const Settings& settings);
    ~Window() override = default;

    Canvas* canvas;

protected:
    // On X11 the canvas's own native window does not always get the keyboard
    // focus (no window manager, or an older timestamp than the last focus
    // change): then the keys arrive at the main window, which hands them on.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
