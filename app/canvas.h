// Canvas: the GL view that fills the main window. Owns the frame loop (the
// world steps every 50 ms, frames are drawn at the display's rate between
// the steps, and nothing is drawn while nothing moves), the world and its
// texture store, sets the fixed GL state, hands input to
// the world and draws the overlay. Follows the map's files: a save of the
// map, an include, an image or a 3DS file (or F5) loads the world anew
// beside the old one and swaps it in, with the viewer where they stood. A window of its own that
// draws straight into its default framebuffer: no framebuffer object for Qt to compose every frame,
// which on Mesa's software renderer costs several milliseconds of CPU a frame.
#pragma once

#include <QOpenGLWindow>

#include "app/mapeditor.h"
#include "app/options.h"
#include "app/settings.h"
#include "app/stepclock.h"

#include <QElapsedTimer>
#include <QSet>
#include <QMap>
#include <QStringList>
#include <chrono>
#include <cstdio>
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

    explicit Canvas(const Options& options = Options(), const Settings& settings = Settings(),
                    QWindow* parent = nullptr);
    ~Canvas() override;

    // Loads the map anew now (F5, or the watcher after a change). The new
    // world replaces the old one unless the map, or any file it reads (an
    // include, an image, a 3DS file), could not be opened, read or parsed
    // while the old world's load could; then the old one stays and the
    // overlay names the problem.
    void reload();

    // The overlay of the last frame: the world's text, then the problems of
    // the last load (its count, its first lines cut to the window's width;
    // H hides them with the world's text) and the frame time.
    QString overlayText();

    // Draws the overlay text top-left, one 15-pixel row a line, in the
    // current GL colour; leaves the GL state as it found it.
    void renderOverlay(const QString& text);

    // Saves the current view as kolvar-YYYYMMDD-HHMMSS-zzz.png in the folder
    // the program was started from and says so (or that it could not be written); from paintGL
    // only.
    void saveScreenshot();

    // Something changed (a key, the mouse, a reload): draw frames again,
    // and step the world, until it is still.
    void wake();
    // Ends the frame log with its count of late frames (before Escape ends the program).
    void closeFrameLog();

    // Editing in the window. Ctrl + click at x, y (device-independent
    // pixels) selects the placed object drawn there, or clears the
    // selection over nothing.
    void selectAt(const QPointF& at);
    // A Ctrl combination of editing: true when it was one (it then never
    // reaches the world, and neither does its release).
    bool editKey(QKeyEvent* event);
    // The selected object as the editor names it; false when none is selected.
    bool selectedTarget(MapEditor::Target& target, MapPlace& place) const;

    QTimer* timer;                            // child; the design's loop (frameRate 20)
    std::unique_ptr<TextureFactory> textures; // the world's texture store
    std::unique_ptr<Map> world;
    const Options options;
    const Settings settings;
    bool showFrameTime = false; // key I: the frame-time lines in the overlay

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    // One tick of the design's loop (and of --frames): the world steps, then a frame is drawn.
    void tick();
    // A frame reached the screen: the next one, or none when all is still.
    void frameDone();
    // The world's steps due now, and where between them this frame shows it.
    void advanceWorld();
    // The instruments of a drawn frame: rates, late frames, the frame log.
    void countFrame(qint64 startNs);
    // Reads, checks and builds the map into a new world and texture store;
    // false, with the world unchanged, when the map cannot be read at all.
    bool loadWorld();
    // After the editor wrote a file: the world loaded anew at once, so the
    // next frame shows the change, with the editor's choice selected.
    void afterEdit();
    // Selects the chosen object in the world, if the world has it.
    void selectChosen();
    // Where the ray under at (device-independent pixels) meets the plane
    // y = level (world units); false when it does not, in front of the eye.
    bool groundAt(const QPointF& at, double level, double& x, double& z);
    // The eye and the direction of the ray under at (device-independent pixels).
    void rayAt(const QPointF& at, double eye[3], double ray[3]) const;
    // Ctrl + drag of the selection: shown as it goes, written as one move
    // when the button is let go.
    void dragTo(const QPointF& at);
    void endDrag();
    // Whether any watched file differs from what the last load saw.
    bool filesChanged() const;
    // Takes the stamp of a file the editor wrote, and watches it again (a
    // save renames a new file over it): its change is no news.
    void restamp(const QString& path);
    // Watches the files of the last load, and their folders (editors that
    // save by renaming a new file over the old one replace the file).
    void watch(const QStringList& files);
    // A watched file changed: reload after kReloadDelayMs of quiet.
    void fileChanged();
    // A watched folder changed: reload as fileChanged does, but only when
    // one of the files watched in it changed, appeared or went.
    void folderChanged(const QString& folder);
    // The overlay's rows about the problems of the last load, cut to the
    // window's width: made again after a load or a change of width.
    void layOutProblems();
    static QString problemCount(int count); // "1 probleem", "3 problemen"

    // What a file was at the last load: a change to any of this is a save.
    struct FileStamp {
        bool exists = false;
        quint64 device = 0, inode = 0; // a new file renamed over the old one has a new inode
        qint64 bytes = 0;
        qint64 modifiedNs = 0; // nanoseconds since the epoch
        bool operator==(const FileStamp& o) const {
            return exists == o.exists && device == o.device && inode == o.inode &&
                   bytes == o.bytes && modifiedNs == o.modifiedNs;
        }
    };
    static FileStamp stampOf(const QString& path);

    using Clock = std::chrono::steady_clock;
    // The --frames run: prints the figures once the frames are drawn and ends.
    void reportFrames();

    Clock::time_point created = Clock::now();
    Clock::time_point lastFrame;
    double cpuAtFirstFrame = 0;  // seconds of CPU, all threads
    double smoothedFrameMs = 0;  // for the overlay line: start to start of a frame
    double smoothedWorkMs = 0;   // for the overlay line: the drawing of a frame
    std::vector<double> frameMs; // --frames: one entry a frame after the first
    // The frame loop (see wake). Times are nanoseconds of sinceStart.
    QElapsedTimer sinceStart;
    StepClock stepClock;
    int frameRate = 0;          // as set: 0 the display's, 20 the design's loop
    double frameIntervalNs = 0; // the pace aimed at
    bool running = false;       // frames follow one another; false: still
    bool swapPaced = false;     // the buffer swap waits for the display
    std::vector<double> swapMs; // the first frames' swap times, to tell
    qint64 paintEndNs = 0;
    qint64 lastPaintNs = -1; // start of the last frame of this run; -1: none
    double nextFrameNs = 0;  // deadline of the next paced frame
    double requestLagNs = 0; // from asking for a frame to its start
    qint64 requestedNs = 0;
    QTimer* pacer;         // child; single shot, precise
    QSet<qint64> heldKeys; // places (or key codes) down now
    // The I readout and the frame log.
    int framesCounted = 0, stepsCounted = 0;
    qint64 rateStartNs = 0;
    double framesPerSecond = 0, stepsPerSecond = 0;
    int lateFrames = 0; // longer than 1.5 refresh intervals
    int loggedFrames = 0;
    std::FILE* frameLog = nullptr;
    bool reported = false;
    bool screenshotPending = false; // F12 pressed: save the next frame
    QFileSystemWatcher* watcher;    // child
    QTimer* reloadTimer;            // child; single shot
    int loadProblems = 0;           // of the load the world comes from
    int worldErrors = 0;            // file-level errors (fout) of the load the world comes from
    QStringList worldFiles;         // every file that load read or looked for
    QString reloadFailure;          // the first error of a reload whose world was not taken
    int reloadFailureProblems = 0;
    QStringList problemLines;         // the first problem lines of the last load
    QString problemHead, problemRows; // laid out for the overlay
    int problemRowsWidth = -1;        // the window width they were laid out for; -1: not yet
    // Per watched folder (absolute path), the files watched in it and their stamps.
    QMap<QString, QMap<QString, FileStamp>> stamps;
    MapEditor editor;
    MapEditor::Target chosen;  // selected, by file and keys; an empty key: none
    QSet<qint64> editKeysDown; // keys of editing combinations not yet released
    bool mouseLookPaused = false; // Ctrl is held: the mouse leaves the view alone
    struct Drag {
        bool armed = false;    // Ctrl + press on the selection: a drag once the pointer goes far enough
        bool on = false;       // dragging
        QPointF pressedAt;     // device-independent pixels
        double level = 0;                // height of the plane it moves in, world units
        double groundX = 0, groundZ = 0; // where it was taken, world units
        double delta[3] = {0, 0, 0};     // moved so far, world units in tenths
        float origin[3] = {0, 0, 0};     // the object's position as its file gives it
        float rotation[3] = {0, 0, 0};   // degrees about x, y, z
    } drag;
};
