// Canvas: the GL view that fills the main window. Owns the 50 ms frame timer
// and the world, sets the fixed GL state, hands input to the world and draws
// the overlay. A window of its own that draws straight into its default
// framebuffer: no framebuffer object for Qt to compose every frame, which on
// Mesa's software renderer costs several milliseconds of CPU a frame.
#pragma once

#include <QOpenGLWindow>

#include "app/options.h"

#include <chrono>
#include <memory>
#include <vector>

class Map;
class QTimer;
class TextureFactory;

class Canvas : public QOpenGLWindow {
    Q_OBJECT
public:
    static constexpr int kFramePeriodMs = 50;

    explicit Canvas(const Options& options = Options(), QWindow* parent = nullptr);
    ~Canvas() override;

    // Draws the overlay text top-left, one 15-pixel row a line, in the
    // current GL colour; leaves the GL state as it found it.
    void renderOverlay(const QString& text);

    // Saves the current view as kolvar-YYYYMMDD-HHMMSS-zzz.png in the working
    // directory and says so (or that it could not be written); from paintGL only.
    void saveScreenshot();

    QTimer* timer;
    std::unique_ptr<TextureFactory> textures; // the world's texture store
    std::unique_ptr<Map> world;
    const Options options;
    bool showFrameTime = false; // key I: the frame-time line in the overlay

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    // One tick of the frame timer: the world steps, then a frame is drawn.
    void tick();

    using Clock = std::chrono::steady_clock;
    // The --frames run: prints the figures once the frames are drawn and ends.
    void reportFrames();

    Clock::time_point created = Clock::now();
    Clock::time_point lastFrame;
    double cpuAtFirstFrame = 0;  // seconds of CPU, all threads
    double smoothedFrameMs = 0;  // for the overlay line: start to start of a frame
    double smoothedWorkMs = 0;   // for the overlay line: the drawing of a frame
    std::vector<double> frameMs; // --frames: one entry a frame after the first
    bool reported = false;
    bool screenshotPending = false; // F12 pressed: save the next frame
};
