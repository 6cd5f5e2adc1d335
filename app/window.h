// Window: the main window, titled "Kolvar", 900 x 700; the canvas is its
// whole client area.
#pragma once

#include <QMainWindow>

class Canvas;
struct Options;

class Window : public QMainWindow {
    Q_OBJECT
public:
    explicit Window(const Options& options);
    ~Window() override = default;

    Canvas* canvas;
};
