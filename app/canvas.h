// Canvas: the GL view that fills the main window. Owns the 50 ms frame timer,
// the world and its texture store, sets the fixed GL state, hands input to
// the world and draws the overlay. Follows the map's files: a save of the
// map, an include, an image or a 3DS file (or F5) loads the world anew
// beside the old one and swaps it in, with the viewer where they stood. A window of its own that
// draws straight into its default framebuffer: no framebuffer object for Qt to compose every frame,
// which on Mesa's software renderer costs several milliseconds of CPU a frame.
#pragma once

#include <QOpenGLWindow>

#include "app/options.h"

#include <QStringList>
#include <chrono>
#include <memory>
#include <vector>

class Map;
class QFileSystemWatcher;
class QTimer;
class TextureFactory;

class Canvas : public QOpenGLWindow {
    Q_OBJECT
public:
    static constexpr int kFramePeriodMs = 50;

    // Quiet time after the last change seen before the world is loaded
    // anew: an editor's save (write, rename, touch) is one reload.
    static constexpr int kReloadDelayMs = 250;

    explicit Canvas(const Options& options = Options(), QWindow* parent = nullptr);
    ~Canvas() override;

    // Loads the map anew now (F5, or the watcher after a change). The new
    // world replaces the old one only when the map could be read; otherwise
    // the old one stays and the overlay names the problem.
    void reload();

    // Draws the overlay text top-left, one 15-pixel row a line, in the
    // current GL colour; leaves the GL state as it found it.
    void renderOverlay(const QString& text);

    // Saves the current view as kolvar-YYYYMMDD-HHMMSS-zzz.png in the folder
    // the program was started from and says so (or that it could not be written); from paintGL only.
    void saveScreenshot();

    QTimer* timer;                            // child
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
    // Reads, checks and builds the map into a new world and texture store;
    // false, with the world unchanged, when the map cannot be read at all.
    bool loadWorld();
    // Watches the files of the last load, and their folders (editors that
    // save by renaming a new file over the old one replace the file).
    void watch(const QStringList& files);
    // A watched file or folder changed: reload after kReloadDelayMs of quiet.
    void fileChanged();

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
    QFileSystemWatcher* watcher;    // child
    QTimer* reloadTimer;            // child; single shot
    int loadProblems = 0;           // of the load the world comes from
    QString reloadFailure;          // the first line of a reload that lost the map
    int reloadFailureProblems = 0;
};
