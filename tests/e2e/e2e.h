// End-to-end harness: the real program on an X server of its own (Xvfb), in a
// temporary working directory with the test's map files, driven by xdotool
// and seen through screenshots of its window (ImageMagick's import).
#pragma once

#include <QImage>
#include <QProcess>
#include <QThread>
#include <string>

namespace e2e {

// An Xvfb server on a display number it picks itself; QProcess stops it on destruction.
struct Display {
    explicit Display(int width = 1600, int height = 900); // pixels
    QString name; // ":N"; empty when the server did not start
    QProcess server;
};

// KOLVAR_BINARY_DIR/kolvar.
QString programPath();

// The program under test (programPath() unless another is named), started in
// workDir with the given arguments and extra environment ("NAME=value");
// killed on destruction if it still runs.
class Program {
public:
    Program(const Display& display, const QString& workDir,
            const QStringList& arguments = QStringList(),
            const QStringList& environment = QStringList(),
            const QString& program = programPath());
    ~Program();
    // Waits until the console output so far contains text.
    bool waitForOutput(const std::string& text, int timeoutMs = 20000);
    // Waits until the console output so far holds text count times.
    bool waitForCount(const std::string& text, int count, int timeoutMs = 20000);
    std::string output();
    // The id of the window titled "Kolvar", waited for and focused.
    QString window();
    // xdotool with the arguments, after focusing the window.
    void xdo(const QStringList& arguments);
    void key(const QString& keysym) { xdo({"key", "--delay", "60", keysym}); }
    // The window's pixels; a null image when there is no window or no shot.
    QImage shot();
    // The exit code, or -1 on a timeout or a crash.
    int waitForExit(int timeoutMs = 10000);
    bool running() const { return process.state() != QProcess::NotRunning; }
    static void frames(int count) { QThread::msleep(50 * count); } // frames of 50 ms

private:
    const Display& display;
    QProcess process;
    QString windowId;
    std::string console;
};

// The number of pixels in the image that satisfy pred(r, g, b).
template <typename Pred> int countPixels(const QImage& image, Pred pred) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += pred(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y)));
    return n;
}

} // namespace e2e
