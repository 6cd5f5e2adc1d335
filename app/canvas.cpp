// Canvas: GL set-up, the frame loop, input hand-over and the overlay.
#include "app/canvas.h"

#include "console/narration.h"
#include "mapfile/mapdiagnostics.h"
#include "mapfile/worldrules.h"
#include "textures/texturefactory.h"
#include "world/map.h"
#include "world/worldbuilder.h"

#include <GL/glu.h>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStyleHints>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QSurfaceFormat>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
constexpr int kOverlayX = 10; // pixels from the left
constexpr int kOverlayRowPixels = 15;
constexpr double kSmoothing = 0.1;  // weight of the newest frame in the overlay's running mean
constexpr int kProbeFrames = 10;    // frames whose buffer swaps tell whether the swap waits
constexpr double kLateFactor = 1.5; // a frame this many intervals after the last one is late
constexpr double kNsPerMs = 1e6;
constexpr double kNsPerSecond = 1e9;
constexpr double kDefaultRefreshHz = 60; // when the screen does not say
constexpr double kDegreesPerRadian = 180.0 / 3.14159265;

// CPU time of the whole process, all threads (llvmpipe renders in threads of its own), seconds.
double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Value at fraction q (0..1) of the sorted values, nearest rank.
double percentile(const std::vector<double>& sorted, double q) {
    const std::size_t rank = std::size_t(q * double(sorted.size()) + 0.999999);
    return sorted[std::min(sorted.size(), std::max<std::size_t>(rank, 1)) - 1];
}

QString oneDecimal(double v) {
    return QString::number(v, 'f', 1);
}
} // namespace

Canvas::Canvas(const Options& options, const Settings& settings, QWindow* parent)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate, parent), options(options), settings(settings) {
    sinceStart.start();
    frameRate = options.frameRate >= 0 ? options.frameRate : settings.frameRate;
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &Canvas::tick);
    pacer = new QTimer(this);
    pacer->setSingleShot(true);
    pacer->setTimerType(Qt::PreciseTimer);
    connect(pacer, &QTimer::timeout, this, [this] {
        requestedNs = sinceStart.nsecsElapsed();
        update();
    });
    connect(this, &QOpenGLWindow::frameSwapped, this, &Canvas::frameDone);
    if (!options.frameLog.isEmpty()) {
        frameLog = std::fopen(QFile::encodeName(options.frameLog).constData(), "w");
        if (!frameLog)
            std::cout << "Beeldlog " << options.frameLog.toStdString()
                      << " kan niet geschreven worden; er komt geen\n";
    }
    // Keyboard focus is the container's in the main window; a window always
    // gets mouse moves, and mouseMoveEvent follows the world's tracking switch.
    setCursor(Qt::CrossCursor);
    // The window's own framebuffer has only the buffers asked for: the scene
    // needs depth, the overlay's painter a stencil for its clipping.
    QSurfaceFormat surface = format();
    surface.setDepthBufferSize(24);
    surface.setStencilBufferSize(8);
    // Swaps wait for the display's refresh where the driver can (see frameDone).
    surface.setSwapInterval(1);
    setFormat(surface);
    watcher = new QFileSystemWatcher(this);
    connect(watcher, &QFileSystemWatcher::fileChanged, this, &Canvas::fileChanged);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &Canvas::folderChanged);
    reloadTimer = new QTimer(this);
    reloadTimer->setSingleShot(true);
    // The editor's own saves are loaded at once (afterEdit): the watcher's
    // word of them finds nothing new and loads nothing.
    connect(reloadTimer, &QTimer::timeout, this, [this] {
        if (filesChanged())
            reload();
    });
}

// The world's lists and textures belong to this window's context.
Canvas::~Canvas() {
    closeFrameLog();
    if (!world && !textures)
        return;
    makeCurrent();
    world.reset();
    textures.reset();
    doneCurrent();
}

bool Canvas::loadWorld() {
    if (narration::on())
        std::cout << "We gaan de map inladen : \n";
    auto newTextures = std::make_unique<TextureFactory>();
    auto newWorld = std::make_unique<Map>(*newTextures);
    const LoadReport report =
        WorldBuilder::load(options.mapPath, *newWorld, *newTextures, options.mapName);
    // A reload that could not open, read or parse one of its files (a
    // half-saved include or image) would show a world with pieces missing:
    // the last world stays while it came from a load without such errors.
    // The first load builds what it can.
    if (world && (report.lost || (report.errors > 0 && worldErrors == 0))) {
        reloadFailure = report.firstError;
        reloadFailureProblems = report.errors + report.warnings;
        problemLines = report.firstLines;
        problemRowsWidth = -1;
        // Both loads' files: the save that mends the file is seen, and so
        // is one that brings back a file the new load no longer names.
        watch(worldFiles + report.files);
        std::cout << "We hebben gedaan de map in te laden \n";
        return false;
    }
    worldFiles = report.files;
    worldErrors = report.errors;
    watch(worldFiles);
    newWorld->ensureCamera();
    newWorld->setKeyBindings(settings.keys);
    newWorld->camera().mouseSensitivity = float(settings.sensitivity);
    newWorld->camera().invertY = settings.invertY;
    std::cout << "We hebben gedaan de map in te laden \n";
    newWorld->compileDisplayLists();
    if (world)
        newWorld->takeViewerFrom(*world);
    world = std::move(newWorld); // the old world's lists go with it
    textures = std::move(newTextures);
    editor.setData(report.data);
    selectChosen();
    reloadFailure.clear();
    loadProblems = report.errors + report.warnings;
    problemLines = report.firstLines;
    problemRowsWidth = -1;
    return true;
}

void Canvas::reload() {
    if (!world)
        return; // the first load is initializeGL's
    makeCurrent();
    loadWorld();
    wake();
}

Canvas::FileStamp Canvas::stampOf(const QString& path) {
    FileStamp stamp;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.bytes = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

void Canvas::watch(const QStringList& files) {
    QStringList paths;
    stamps.clear();
    for (const QString& file : files) {
        if (file.isEmpty())
            continue;
        const QFileInfo info(file);
        if (info.exists())
            paths << info.absoluteFilePath();
        // Its folder sees a file appear, and a new file renamed over it.
        const QString folder = info.absolutePath();
        if (QFileInfo(folder).isDir()) {
            paths << folder;
            stamps[folder][info.absoluteFilePath()] = stampOf(file);
        }
    }
    paths.removeDuplicates();
    const QStringList old = watcher->files() + watcher->directories();
    if (!old.isEmpty())
        watcher->removePaths(old);
    if (!paths.isEmpty())
        watcher->addPaths(paths);
}

bool Canvas::filesChanged() const {
    for (const QMap<QString, FileStamp>& files : stamps)
        for (auto file = files.constBegin(); file != files.constEnd(); ++file)
            if (!(stampOf(file.key()) == file.value()))
                return true;
    return false;
}

void Canvas::restamp(const QString& path) {
    const QFileInfo info(path);
    const auto folder = stamps.find(info.absolutePath());
    if (folder != stamps.end() && folder->contains(info.absoluteFilePath()))
        (*folder)[info.absoluteFilePath()] = stampOf(path);
    if (!watcher->files().contains(info.absoluteFilePath()))
        watcher->addPath(info.absoluteFilePath());
}

void Canvas::afterEdit() {
    chosen = editor.selectAfter();
    drag = Drag(); // an edit during a drag ends it; the file has the last word
    makeCurrent();
    // A move or turn is shown where the object stands, without a load, when
    // the file's other places stayed: the next frame shows it.
    mapdata::Point position, rotation;
    const Map::ObjectId id = world->selection();
    if (id != Map::kNoObject && editor.placement(position, rotation) &&
        world->moveObject(id, FPoint(position.x, position.y, position.z),
                          FPoint(rotation.x, rotation.y, rotation.z))) {
        restamp(editor.lastWritten()); // the file as written is the one the world shows
        world->printObject(id);
        wake();
        return;
    }
    // The load of an edit is no news: its progress lines are left out.
    const bool wasQuiet = narration::quiet;
    narration::quiet = true;
    // A load that keeps the last world (a file of it cannot be read) leaves
    // the screen and the editor's offsets behind the files: no edit then
    // until a load takes.
    if (!loadWorld())
        editor.setData(nullptr);
    narration::quiet = wasQuiet;
    if (world->selection() != Map::kNoObject)
        world->printObject(world->selection());
    wake();
}

void Canvas::selectChosen() {
    Map::ObjectId id = chosen.file.isEmpty()
                           ? Map::kNoObject
                           : world->objectId(chosen.blueprintKey, chosen.objectKey);
    if (id != Map::kNoObject && world->placedObject(id).source.file != chosen.file)
        id = Map::kNoObject;
    world->select(id);
    if (id == Map::kNoObject)
        chosen = MapEditor::Target();
}

void Canvas::selectAt(const QPointF& at) {
    makeCurrent(); // selection draws in GL selection mode
    const qreal ratio = devicePixelRatio();
    Map::ObjectId id = world->objectAt(int(at.x() * ratio), int(at.y() * ratio));
    // The sky box stands around everything and is never edited: a click on
    // the sky is a click on nothing.
    if (id != Map::kNoObject && WorldRules::isSkyBox(world->placedObject(id).objectKey))
        id = Map::kNoObject;
    world->select(id);
    if (id == Map::kNoObject) {
        chosen = MapEditor::Target();
        std::cout << "Geen object geselecteerd" << std::endl;
        return;
    }
    const Map::PlacedObject& object = world->placedObject(id);
    chosen = {object.source.file, object.blueprintKey, object.objectKey};
    world->printObject(id);
}

bool Canvas::selectedTarget(MapEditor::Target& target, MapPlace& place) const {
    if (!world || world->selection() == Map::kNoObject)
        return false;
    const Map::PlacedObject& object = world->placedObject(world->selection());
    target = {object.source.file, object.blueprintKey, object.objectKey};
    place = object.source;
    return true;
}

void Canvas::rayAt(const QPointF& at, double eye[3], double ray[3]) const {
    double centre[3];
    world->camera().shownView(eye, centre);
    const double* up = world->camera().up;
    double f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    auto normalise = [](double v[3]) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0)
            for (int i = 0; i < 3; ++i)
                v[i] /= length;
    };
    normalise(f);
    double r[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2],
                   f[0] * up[1] - f[1] * up[0]};
    normalise(r);
    const double u[3] = {r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2],
                         r[0] * f[1] - r[1] * f[0]};
    // The point in -1..1 across the window, up positive, through the
    // display's projection (Map::kFieldOfViewDegrees vertical).
    const double w = std::max(1, width()), h = std::max(1, height());
    const double across = 2.0 * at.x() / w - 1.0, upward = 1.0 - 2.0 * at.y() / h;
    const double tanHalf = std::tan(Map::kFieldOfViewDegrees / 2.0 / kDegreesPerRadian);
    for (int i = 0; i < 3; ++i)
        ray[i] = f[i] + r[i] * across * tanHalf * (w / h) + u[i] * upward * tanHalf;
}

bool Canvas::groundAt(const QPointF& at, double level, double& x, double& z) {
    double eye[3], ray[3];
    rayAt(at, eye, ray);
    if (std::fabs(ray[1]) < 1e-9)
        return false;
    const double t = (level - eye[1]) / ray[1];
    if (t <= 0)
        return false;
    x = eye[0] + t * ray[0];
    z = eye[2] + t * ray[2];
    return true;
}

bool Canvas::editKey(QKeyEvent* event) {
    if (!world || !(event->modifiers() & Qt::ControlModifier))
        return false;
    const int key = event->key();
    const bool fine = event->modifiers() & Qt::ShiftModifier;
    // Undo and redo go by letter, as in every program; they need no selection.
    if (key == Qt::Key_Z || key == Qt::Key_Y) {
        if (key == Qt::Key_Z && !fine ? editor.undo() : editor.redo())
            afterEdit();
        return true;
    }
    enum class Edit { None, Move, Turn, Copy, Remove, Place } edit = Edit::None;
    const double units = fine ? 0.1 : 1.0;     // world units a press
    const double degrees = fine ? 1.0 : 15.0;  // a press turns about y
    // Up and Down along the world axis nearest the view, Left and Right along the other.
    double eye[3], centre[3];
    world->camera().shownView(eye, centre);
    const double dx = centre[0] - eye[0], dz = centre[2] - eye[2];
    const double ahead[3] = {std::fabs(dx) >= std::fabs(dz) ? (dx < 0 ? -1.0 : 1.0) : 0.0, 0.0,
                             std::fabs(dx) >= std::fabs(dz) ? 0.0 : (dz < 0 ? -1.0 : 1.0)};
    const double right[3] = {-ahead[2], 0.0, ahead[0]};
    double delta[3] = {0, 0, 0};
    double turn = 0;
    auto along = [&](const double axis[3], double amount) {
        for (int i = 0; i < 3; ++i)
            delta[i] = axis[i] * amount;
        edit = Edit::Move;
    };
    const double upward[3] = {0, 1, 0};
    switch (key) {
    case Qt::Key_Up:
        along(ahead, units);
        break;
    case Qt::Key_Down:
        along(ahead, -units);
        break;
    case Qt::Key_Right:
        along(right, units);
        break;
    case Qt::Key_Left:
        along(right, -units);
        break;
    case Qt::Key_PageUp:
        along(upward, units);
        break;
    case Qt::Key_PageDown:
        along(upward, -units);
        break;
    case Qt::Key_D:
        along(right, 1.0);
        edit = Edit::Copy;
        break;
    case Qt::Key_Delete:
        edit = Edit::Remove;
        break;
    case Qt::Key_N:
        edit = Edit::Place;
        break;
    default: {
        // The keys that turn the viewer, by their place, turn the selection.
        const Move move = settings.keys.moveFor(event->nativeScanCode(), key, Qt::NoModifier, true);
        if (move == Move::TurnLeft || move == Move::TurnRight) {
            edit = Edit::Turn;
            turn = move == Move::TurnLeft ? degrees : -degrees; // counter-clockwise from above
        }
    }
    }
    if (edit == Edit::None)
        return false;
    MapEditor::Target target;
    MapPlace place;
    if (!selectedTarget(target, place)) {
        std::cout << "Geen object geselecteerd: Ctrl + klik kiest er een" << std::endl;
        return true;
    }
    if (world->driven() == world->selection()) {
        std::cout << placeText(place).toStdString() << ": fout: object "
                  << ::quoted(target.objectKey).toStdString()
                  << " niet bewerkt: u rijdt ermee, stap eerst uit (spatie); er is niets "
                     "geschreven"
                  << std::endl;
        return true;
    }
    bool wrote = false;
    switch (edit) {
    case Edit::Move:
        wrote = editor.move(target, place, delta);
        break;
    case Edit::Turn:
        wrote = editor.turn(target, place, turn);
        break;
    case Edit::Copy:
        wrote = editor.copy(target, place, delta);
        break;
    case Edit::Remove:
        wrote = editor.remove(target, place);
        break;
    case Edit::Place: {
        double x = 0, z = 0;
        const double height = world->placedObject(world->selection()).object->position.y;
        if (!groundAt(mapFromGlobal(QCursor::pos()), height, x, z)) {
            std::cout << "Geen grond onder de muis op de hoogte van " << target.objectKey
                      << "; er is niets geschreven" << std::endl;
            return true;
        }
        // Hundredths of a unit: the pointer is no finer than that.
        wrote = editor.place(target, place, std::round(x * 100.0) / 100.0,
                             std::round(z * 100.0) / 100.0);
        break;
    }
    case Edit::None:
        break;
    }
    if (wrote)
        afterEdit();
    return true;
}

void Canvas::fileChanged() {
    reloadTimer->start(kReloadDelayMs);
}

void Canvas::folderChanged(const QString& folder) {
    // Editors make swap files, locks and backups beside the files they
    // save: only a change to a file the world reads, or looked for, counts.
    const auto files = stamps.constFind(folder);
    if (files == stamps.constEnd())
        return;
    for (auto file = files->constBegin(); file != files->constEnd(); ++file)
        if (!(stampOf(file.key()) == file.value())) {
            fileChanged();
            return;
        }
}

void Canvas::initializeGL() {
    std::cout << "InitializeGl() \n";
    QOpenGLWindow::initializeGL();
    loadWorld();

    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    // --frames: each frame asks for the next (see paintGL), one step a frame.
    if (options.frames > 0) {
        update();
        return;
    }
    // The design's loop: one step and one frame every 50 ms.
    if (frameRate == Settings::kDesignFrameRate) {
        frameIntervalNs = kFramePeriodMs * kNsPerMs;
        timer->start(kFramePeriodMs);
        return;
    }
    double hz = frameRate;
    if (hz == 0) {
        hz = screen() && screen()->refreshRate() > 1 ? screen()->refreshRate() : kDefaultRefreshHz;
        // A swap interval the driver did not grant cannot pace anything.
        if (context()->format().swapInterval() < 1)
            swapMs.resize(kProbeFrames, 0.0);
    } else {
        swapMs.resize(kProbeFrames, 0.0); // a rate of its own: the timer paces
    }
    frameIntervalNs = kNsPerSecond / hz;
    wake();
}

void Canvas::wake() {
    // --frames and the design's loop draw all the time anyway.
    if (running || options.frames > 0 || frameRate == Settings::kDesignFrameRate || !world)
        return;
    running = true;
    const qint64 now = sinceStart.nsecsElapsed();
    stepClock.restart(now);
    nextFrameNs = double(now);
    lastPaintNs = -1;
    requestedNs = now;
    update();
}

void Canvas::advanceWorld() {
    const int steps = stepClock.advance(sinceStart.nsecsElapsed());
    for (int i = 0; i < steps; ++i)
        world->step();
    stepsCounted += steps;
    world->camera().setBlend(stepClock.alpha());
}

void Canvas::frameDone() {
    if (!running)
        return;
    const qint64 now = sinceStart.nsecsElapsed();
    const bool probing = swapMs.size() < std::size_t(kProbeFrames);
    if (probing) {
        swapMs.push_back(double(now - paintEndNs) / kNsPerMs);
        if (swapMs.size() == std::size_t(kProbeFrames)) {
            // Swaps that return in under half an interval do not wait for
            // the display (Xvfb, some drivers): a timer paces instead, so
            // the loop never spins a core.
            std::vector<double> sorted = swapMs;
            std::sort(sorted.begin(), sorted.end());
            swapPaced = sorted[sorted.size() / 2] >= 0.5 * frameIntervalNs / kNsPerMs;
        }
    }
    if (world && world->isStill() && heldKeys.isEmpty()) {
        running = false;
        return;
    }
    if (probing || swapPaced) {
        requestedNs = now;
        update();
        return;
    }
    // The next frame starts one interval after the last one was due; after
    // a stall the deadlines start again from now.
    nextFrameNs += frameIntervalNs;
    if (nextFrameNs < double(now) - frameIntervalNs)
        nextFrameNs = double(now);
    const double waitNs = nextFrameNs - requestLagNs - double(now);
    pacer->start(std::max(0, int(std::lround(waitNs / kNsPerMs))));
}

void Canvas::resizeGL(int w, int h) {
    std::cout << "ResizeGl()\n";
    if (w <= 0 || h <= 0)
        return; // keep the previous viewport and projection
    // w and h are device-independent pixels; the framebuffer has physical ones.
    const qreal ratio = devicePixelRatio();
    glViewport(0, 0, int(w * ratio), int(h * ratio));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Map::kFieldOfViewDegrees, double(w) / double(h), Map::kNearPlane,
                   Map::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Canvas::paintGL() {
    const Clock::time_point start = Clock::now();
    const qint64 startNs = sinceStart.nsecsElapsed();
    if (requestedNs > 0 && running) {
        // Qt draws a little after it is asked (its update request waits a
        // few ms): the pacer asks that much early.
        const double lag = std::clamp(double(startNs - requestedNs), 0.0, frameIntervalNs / 2);
        requestLagNs += kSmoothing * (lag - requestLagNs);
        requestedNs = 0;
    }
    const bool first = lastFrame == Clock::time_point();
    if (!first) {
        // Start to start: the drawing, the buffer swap and the event loop in between.
        const double ms = milliseconds(start - lastFrame);
        smoothedFrameMs =
            smoothedFrameMs == 0 ? ms : smoothedFrameMs + kSmoothing * (ms - smoothedFrameMs);
        if (options.frames > 0)
            frameMs.push_back(ms);
    }
    lastFrame = start;
    if (options.frames > 0 && int(frameMs.size()) >= options.frames) {
        reportFrames();
        return;
    }

    if (running)
        advanceWorld();
    else
        world->camera().setBlend(1.0); // each frame shows the last step
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    world->drawFrame();
    glLoadIdentity();
    renderOverlay(overlayText());
    if (showFrameTime) {
        glFinish(); // the drawing itself, not only the sending of it
        const double ms = milliseconds(Clock::now() - start);
        smoothedWorkMs =
            smoothedWorkMs == 0 ? ms : smoothedWorkMs + kSmoothing * (ms - smoothedWorkMs);
    }
    if (screenshotPending) {
        screenshotPending = false;
        saveScreenshot();
    }
    countFrame(startNs);
    paintEndNs = sinceStart.nsecsElapsed();

    // --frames: the next frame as soon as the window system takes one. A
    // timer of 0 ms would spin the event loop between frames, and that CPU
    // would count as the frames'.
    if (options.frames > 0)
        tick();
    if (first && options.frames > 0) {
        glFinish();
        std::cout
            << "Eerste beeld na "
            << QString::number(milliseconds(Clock::now() - created) / 1000.0, 'f', 3).toStdString()
            << " s\n";
        cpuAtFirstFrame = processCpuSeconds();
    }
}

QString Canvas::overlayText() {
    QString overlay = world ? world->overlayText() : QString();
    const bool shown = !world || world->overlayShown();
    // The text ends in a line break: these take the rows below it.
    if (!reloadFailure.isEmpty() || (loadProblems > 0 && shown)) {
        layOutProblems();
        overlay += problemHead;
        if (shown) // H hides the lines with the rest
            overlay += problemRows;
    }
    if (showFrameTime && smoothedFrameMs > 0 && smoothedWorkMs > 0) {
        // The time a frame takes to draw, and the frames drawn per second.
        overlay += "Beeldtijd: " + oneDecimal(smoothedWorkMs) + " ms (" +
                   oneDecimal(1000.0 / smoothedFrameMs) + " fps)\n";
        // Over the last whole second: frames drawn, steps of the world, and
        // the late frames of the whole run.
        overlay += oneDecimal(framesPerSecond) + " beelden/s, " + oneDecimal(stepsPerSecond) +
                   " stappen/s, " + QString::number(lateFrames) + " beelden later dan " +
                   oneDecimal(kLateFactor * frameIntervalNs / kNsPerMs) + " ms";
    }
    return overlay;
}

void Canvas::tick() {
    if (world) {
        world->step();
        ++stepsCounted;
    }
    update();
}

void Canvas::countFrame(qint64 startNs) {
    ++framesCounted;
    // Frames of one run (the design's loop is always one) against the pace.
    const bool continuous = running || frameRate == Settings::kDesignFrameRate;
    if (continuous && lastPaintNs >= 0 && frameIntervalNs > 0 &&
        double(startNs - lastPaintNs) > kLateFactor * frameIntervalNs)
        ++lateFrames;
    lastPaintNs = continuous ? startNs : -1;
    if (startNs - rateStartNs >= qint64(kNsPerSecond)) {
        const double seconds = double(startNs - rateStartNs) / kNsPerSecond;
        framesPerSecond = framesCounted / seconds;
        stepsPerSecond = stepsCounted / seconds;
        framesCounted = stepsCounted = 0;
        rateStartNs = startNs;
    }
    if (!frameLog)
        return;
    double eye[3], centre[3];
    world->camera().shownView(eye, centre);
    const double dx = centre[0] - eye[0], dy = centre[1] - eye[1], dz = centre[2] - eye[2];
    // Yaw 0 looks along -z and grows turning right; pitch grows looking up; degrees.
    const double yaw = std::atan2(dx, -dz) * kDegreesPerRadian;
    const double pitch = std::atan2(dy, std::sqrt(dx * dx + dz * dz)) * kDegreesPerRadian;
    std::fprintf(frameLog, "%.3f %.4f %.4f %.4f %.3f %.3f\n", double(startNs) / kNsPerMs, eye[0],
                 eye[1], eye[2], yaw, pitch);
    ++loggedFrames;
}

void Canvas::closeFrameLog() {
    if (!frameLog)
        return;
    std::fclose(frameLog);
    frameLog = nullptr;
    std::cout << "Beeldlog " << options.frameLog.toStdString() << ": " << loggedFrames
              << " beelden, " << lateFrames << " later dan "
              << oneDecimal(kLateFactor * frameIntervalNs / kNsPerMs).toStdString() << " ms\n";
}

void Canvas::reportFrames() {
    if (reported)
        return;
    reported = true;
    const double cpuMs = (processCpuSeconds() - cpuAtFirstFrame) * 1000.0 / double(frameMs.size());
    std::vector<double> sorted = frameMs;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double ms : sorted)
        sum += ms;
    std::cout << "Beeldtijd over " << sorted.size() << " beelden: gemiddeld "
              << oneDecimal(sum / double(sorted.size())).toStdString() << " ms, mediaan "
              << oneDecimal(percentile(sorted, 0.5)).toStdString() << " ms, 95e percentiel "
              << oneDecimal(percentile(sorted, 0.95)).toStdString() << " ms, 99e percentiel "
              << oneDecimal(percentile(sorted, 0.99)).toStdString() << " ms\n";
    std::cout << "CPU per beeld (alle threads): " << oneDecimal(cpuMs).toStdString() << " ms\n";
    QCoreApplication::exit(0);
}

void Canvas::saveScreenshot() {
    const QString name =
        "kolvar-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz") + ".png";
    // Called from paintGL: the window's back buffer is bound and holds the
    // frame just drawn, overlay included, in physical pixels, bottom row first.
    const qreal ratio = devicePixelRatio();
    QImage image(int(width() * ratio), int(height() * ratio), QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // The clear colour's alpha of 0.5 is no transparency in the picture.
    image = image.mirrored().convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !image.save(QDir(options.screenshotFolder).filePath(name), "PNG")) {
        std::cout << "Schermafdruk kon niet bewaard worden als " << name.toStdString() << "\n";
        return;
    }
    std::cout << "Schermafdruk bewaard als " << name.toStdString() << "\n";
}

QString Canvas::problemCount(int count) {
    return count == 1 ? QStringLiteral("1 probleem") : QString::number(count) + " problemen";
}

void Canvas::layOutProblems() {
    const int width = this->width();
    if (problemRowsWidth == width)
        return;
    // Each row cut to the window's width; the console holds them whole.
    const QFontMetrics metrics{QFont()};
    const int room = std::max(1, width - 2 * kOverlayX);
    auto row = [&](const QString& text) {
        return metrics.elidedText(text, Qt::ElideRight, room) + "\n";
    };
    problemHead.clear();
    problemRows.clear();
    if (!reloadFailure.isEmpty()) {
        problemHead += row("Herladen mislukt, de vorige wereld blijft: " + reloadFailure);
        problemHead += row(problemCount(reloadFailureProblems));
    } else {
        problemHead += row(problemCount(loadProblems) + " bij het laden (zie de console)");
    }
    for (const QString& line : problemLines)
        if (line != reloadFailure)
            problemRows += row(line);
    problemRowsWidth = width;
}

void Canvas::renderOverlay(const QString& text) {
    // Filled glyphs also in wireframe mode; the next frame sets the mode again.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    GLfloat colour[4]; // RGBA, 0 to 1: whatever the scene set last
    glGetFloatv(GL_CURRENT_COLOR, colour);
    // QPainter draws with shaders of its own and leaves depth test, depth
    // function, blending and buffer bindings changed at its end; the whole
    // fixed-function state is saved around it. Inside, the texture factory's
    // alpha test (alpha exactly 1) would drop the glyphs' smoothed pixels,
    // and the unpack alignment of 1 that model textures leave would skew
    // the glyph cache's uploads.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glDisable(GL_ALPHA_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    {
        QPainter painter(this);
        painter.setPen(QColor::fromRgbF(colour[0], colour[1], colour[2], colour[3]));
        painter.setFont(QFont());
        int y = kOverlayRowPixels; // baseline, pixels from the top
        const QStringList rows = text.split("\n", Qt::KeepEmptyParts, Qt::CaseSensitive);
        for (const QString& row : rows) {
            painter.drawText(kOverlayX, y, row);
            y += kOverlayRowPixels;
        }
    }
    glPopClientAttrib();
    glPopAttrib();
}

// Input can only reach the world once the GL context, and with it the world, exists.
namespace {
// The event's position in device-independent pixels of the window.
QPointF positionOf(const QMouseEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position();
#else
    return event->localPos();
#endif
}

// A held key: its place, or its code where it has no place.
qint64 heldKey(const QKeyEvent* event) {
    return event->nativeScanCode() != 0 ? qint64(event->nativeScanCode())
                                        : -qint64(event->key()) - 1;
}
} // namespace

void Canvas::keyPressEvent(QKeyEvent* event) {
    // A key held before Ctrl went down stays the world's: its repeats with
    // Ctrl edit nothing, and its release ends its move.
    if (!heldKeys.contains(heldKey(event)) && editKey(event)) {
        editKeysDown.insert(heldKey(event));
        wake();
        return;
    }
    if (!event->isAutoRepeat())
        heldKeys.insert(heldKey(event));
    // An editing press whose release went elsewhere (the window lost the
    // keyboard) no longer holds the key.
    editKeysDown.remove(heldKey(event));
    wake(); // whatever the key does shows on the next frame
    // The canvas's own instruments; the world's keys stay as they are.
    if (event->key() == Qt::Key_I) {
        showFrameTime = !showFrameTime;
        return;
    }
    if (event->key() == Qt::Key_Escape)
        closeFrameLog(); // the world ends the program at once
    if (event->key() == Qt::Key_F5) {
        reload();
        return;
    }
    if (event->key() == Qt::Key_F12) {
        screenshotPending = true; // taken from the next frame, before its buffer swap
        return;
    }
    if (world)
        world->keyPressed(event);
}

void Canvas::keyReleaseEvent(QKeyEvent* event) {
    if (editKeysDown.remove(heldKey(event)))
        return; // its press was editing: the world never saw it
    if (!event->isAutoRepeat())
        heldKeys.remove(heldKey(event));
    if (world)
        world->keyReleased(event);
    wake();
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    if (!world)
        return;
    // Picking draws in selection mode and needs this window's context.
    makeCurrent();
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        selectAt(positionOf(event));
        // A press on the selection takes it along the ground at its height.
        const Map::ObjectId id = world->selection();
        const TObject* object = id == Map::kNoObject ? nullptr : world->placedObject(id).object;
        drag = Drag();
        if (object) {
            // The point taken: on the ray, nearest the object's position; it
            // keeps its height while it follows the pointer.
            double eye[3], ray[3];
            rayAt(positionOf(event), eye, ray);
            const double along = ((object->position.x - eye[0]) * ray[0] +
                                  (object->position.y - eye[1]) * ray[1] +
                                  (object->position.z - eye[2]) * ray[2]) /
                                 (ray[0] * ray[0] + ray[1] * ray[1] + ray[2] * ray[2]);
            drag.level = eye[1] + along * ray[1];
        }
        if (object && world->driven() != id &&
            groundAt(positionOf(event), drag.level, drag.groundX, drag.groundZ)) {
            drag.armed = true;
            drag.pressedAt = positionOf(event);
            drag.origin[0] = object->position.x;
            drag.origin[1] = float(world->fileHeight(id));
            drag.origin[2] = object->position.z;
            drag.rotation[0] = object->rotation.x;
            drag.rotation[1] = object->rotation.y;
            drag.rotation[2] = object->rotation.z;
        }
        wake();
        return;
    }
    world->mousePressed(event, devicePixelRatio());
    wake();
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
    if (!world)
        return;
    if (drag.armed && !drag.on) {
        // A click's wobble is no drag: it starts past the platform's distance.
        const QPointF moved = positionOf(event) - drag.pressedAt;
        drag.on = std::fabs(moved.x()) + std::fabs(moved.y()) >=
                  QGuiApplication::styleHints()->startDragDistance();
    }
    if (drag.armed) {
        if (drag.on)
            dragTo(positionOf(event));
        return;
    }
    // Without mouse tracking only a drag turns the view.
    if (!world->mouseTracking() && event->buttons() == Qt::NoButton)
        return;
    const QPoint centre(width() / 2, height() / 2);
    // While Ctrl is held the pointer is free to select; after it, the view
    // goes on from where the pointer is put back, without a jump.
    if (event->modifiers() & Qt::ControlModifier) {
        mouseLookPaused = true;
        return;
    }
    if (!mouseLookPaused)
        world->mouseMoved(event);
    mouseLookPaused = false;
    QCursor::setPos(mapToGlobal(centre));
    world->camera().setMouseReference(centre.x(), centre.y());
    wake();
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag.on)
        endDrag();
    drag = Drag();
}

void Canvas::dragTo(const QPointF& at) {
    const Map::ObjectId id = world->selection();
    double x = 0, z = 0;
    if (id == Map::kNoObject || !groundAt(at, drag.level, x, z))
        return;
    // Tenths of a unit: numbers an author would write.
    drag.delta[0] = std::round((x - drag.groundX) * 10.0) / 10.0;
    drag.delta[2] = std::round((z - drag.groundZ) * 10.0) / 10.0;
    makeCurrent();
    world->moveObject(id,
                      FPoint(float(drag.origin[0] + drag.delta[0]), drag.origin[1],
                             float(drag.origin[2] + drag.delta[2])),
                      FPoint(drag.rotation[0], drag.rotation[1], drag.rotation[2]));
    wake();
}

void Canvas::endDrag() {
    drag.on = false;
    drag.armed = false;
    MapEditor::Target target;
    MapPlace place;
    if (drag.delta[0] == 0 && drag.delta[2] == 0)
        return;
    if (selectedTarget(target, place) && editor.move(target, place, drag.delta)) {
        afterEdit();
        return;
    }
    // Nothing written: the object goes back where its file has it.
    makeCurrent();
    if (world->selection() != Map::kNoObject)
        world->moveObject(world->selection(),
                          FPoint(drag.origin[0], drag.origin[1], drag.origin[2]),
                          FPoint(drag.rotation[0], drag.rotation[1], drag.rotation[2]));
    wake();
}
