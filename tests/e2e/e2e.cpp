#include "tests/e2e/e2e.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>

namespace e2e {

Display::Display(int width, int height) {
    // Xvfb writes the number of the display it chose once it accepts clients.
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0",
                          QString("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
    if (server.waitForReadyRead(10000))
        name = ":" + QString::fromLatin1(server.readLine()).trimmed();
}

// Runs a program against the display and waits for it; its standard output.
static QByteArray run(const Display& display, const QString& program,
                      const QStringList& arguments) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name);
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

QString programPath() {
    return qEnvironmentVariable("KOLVAR_BINARY_DIR") + "/kolvar";
}

Program::Program(const Display& display, const QString& workDir, const QStringList& arguments,
                 const QStringList& environment, const QString& program)
    : display(display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name);
    // The user's settings stay out of the tests; a test may give its own.
    env.insert("XDG_CONFIG_HOME", workDir + "/config");
    for (const QString& variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
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

bool Program::waitForCount(const std::string& text, int count, int timeoutMs) {
    auto seen = [&] {
        const std::string& all = output();
        int n = 0;
        for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++n;
        return n >= count;
    };
    QElapsedTimer clock;
    clock.start();
    while (!seen() && running() && clock.elapsed() < timeoutMs)
        process.waitForReadyRead(100);
    return seen();
}

QString Program::window() {
    QElapsedTimer clock;
    clock.start();
    while (windowId.isEmpty() && clock.elapsed() < 20000) {
        windowId =
            QString(run(display, "xdotool", {"search", "--onlyvisible", "--name", "^Kolvar$"}))
                .trimmed()
                .section('\n', -1);
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
    return QImage::fromData(
        run(display, "import", {"-display", display.name, "-window", windowId, "png:-"}));
}

int Program::waitForExit(int timeoutMs) {
    if (!process.waitForFinished(timeoutMs))
        return -1;
    output();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace e2e
