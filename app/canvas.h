// Canvas: the GL view that fills the main window. Owns the 50 ms frame timer
// and the world, sets the fixed GL state, hands input to the world and draws
// the overlay.
#pragma once

#include <QOpenGLWidget>

#include "app/options.h"

class Map;
class QTimer;

class Canvas : public QOpenGLWidget {
    Q_OBJECT
public:
    static constexpr int kFramePeriodMs = 50;

    explicit Canvas(const Options& options = Options(), QWidget* parent = nullptr);
    ~Canvas() override = default;

    // Draws the overlay text top-left, one 15-pixel row a line, in the
    // current GL colour; leaves the GL state as it found it.
    void renderOverlay(const QString& text);

    QTimer* timer;
    Map* world = nullptr;
    const Options options;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
};
