#include "tests/e2e/e2e.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

namespace e2e {

Display::Display() {
    // Xvfb writes the number of the display it chose once it accepts clients.
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1600x900x24", "-nolisten", "tcp"});
    if (server.waitForReadyRead(10000))
        name = ":" + QString::fromLatin1(server.readLine()).trimmed();
}

Display::~Display() {
    server.terminate();
    server.waitForFinished(3000);
}

QString run(const Display& display, const QString& program, const QStringList& arguments) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name);
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

Program::Program(const Display& display, const QString& workDir) : display(display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name);
    env.insert("LIBGL_ALWAYS_SOFTWARE", "1");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(qEnvironmentVariable("KOLVAR_BINARY_DIR") + "/kolvar", QStringList());
    process.waitForStarted(10000);
}

Program::~Program() {
    if (running()) {
        process.kill();
        process.waitForFinished(5000);
    }
}

std::string Program::output() {
    console += process.readAllStandardOutput().toStdString();
    return console;
}

bool Program::waitForOutput(const std::string& text, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (output().find(text) == std::string::npos && running() && clock.elapsed() < timeoutMs)
        process.waitForReadyRead(100);
    return output().find(text) != std::string::npos;
}

QString Program::window() {
    QElapsedTimer clock;
    clock.start();
    while (windowId.isEmpty() && clock.elapsed() < 20000) {
        windowId =
            run(display, "xdotool", {"search", "--name", "^Kolvar$"}).trimmed().section('\n', -1);
        QThread::msleep(windowId.isEmpty() ? 100 : 0);
    }
    if (!windowId.isEmpty())
        run(display, "xdotool", {"windowfocus", "--sync", windowId});
    return windowId;
}

void Program::xdo(const QStringList& arguments) {
    window();
    run(display, "xdotool", arguments);
}

QImage Program::shot() {
    if (window().isEmpty())
        return QImage();
    QTemporaryDir dir;
    run(display, "import", {"-display", display.name, "-window", windowId, dir.path() + "/s.png"});
    return QImage(dir.path() + "/s.png");
}

int Program::waitForExit() {
    if (!process.waitForFinished(10000))
        return -1;
    output();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace e2e
