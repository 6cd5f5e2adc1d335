// End-to-end harness: the real program on an X server of its own (Xvfb), in a
// temporary working directory with the test's map files, driven by xdotool
// and seen through screenshots (ImageMagick's import).
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

namespace e2e {

// An Xvfb server on a free display number, stopped on destruction.
class Display {
public:
    explicit Display(int width = 1600, int height = 900);
    ~Display();
    QString name() const { return QString(":%1").arg(number); }
    bool ok() const { return started; }

private:
    int number = 0;
    bool started = false;
    QProcess server;
};

// Runs a command against the display, waits for it; returns its stdout.
QString run(const Display& display, const QString& program, const QStringList& arguments,
            int* exitCode = nullptr, int timeoutMs = 10000);

// The program under test (KOLVAR_BINARY_DIR/kolvar), started in workDir
// with the given command-line arguments and extra environment variables
// ("NAME=value").
class Program {
public:
    Program(const Display& display, const QString& workDir,
            const QStringList& arguments = QStringList(),
            const QStringList& environment = QStringList());
    ~Program(); // kills the process if it still runs

    // Waits until the program's console output contains text.
    bool waitForOutput(const std::string& text, int timeoutMs = 20000);
    // Console output so far.
    std::string output();
    // The X window id of the window titled "Kolvar" (waits for it to appear).
    QString window();
    // Keyboard and mouse through xdotool, to the focused program window.
    void key(const QString& keysym);
    void keyDown(const QString& keysym);
    void keyUp(const QString& keysym);
    void click(int x, int y, int button = 1); // canvas-relative pixels
    // Screenshot of the whole screen.
    QImage screenshot();
    // Screenshot cropped to the program window.
    QImage windowShot();
    // Waits for the process to end; its exit code, or -1 on timeout.
    int waitForExit(int timeoutMs = 10000);
    bool running() const { return process.state() != QProcess::NotRunning; }
    // Absolute position and size of the window, pixels.
    bool geometry(int& x, int& y, int& width, int& height);
    // Lets a number of frames (50 ms each) pass.
    static void frames(int count);

private:
    const Display& display;
    QProcess process;
    QString windowId;
    std::string console;
};

// Builds a temporary working directory with maps/ and the given files.
struct WorkDir {
    WorkDir();
    ~WorkDir();
    void write(const QString& relativePath, const std::string& content) const;
    QString path;
};

// Count of pixels in the image that satisfy the predicate on (r, g, b).
template <typename Pred> int countPixels(const QImage& image, Pred pred) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, y);
            if (pred(qRed(p), qGreen(p), qBlue(p)))
                ++n;
        }
    return n;
}

} // namespace e2e
