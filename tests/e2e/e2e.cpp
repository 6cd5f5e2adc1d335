#include "tests/e2e/e2e.h"

#include "tests/support/gltest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>

namespace e2e {

namespace {
QString binaryDir() {
    QByteArray dir = qgetenv("KOLVAR_BINARY_DIR");
    return dir.isEmpty() ? QDir::currentPath() + "/build" : QString::fromLocal8Bit(dir);
}
} // namespace

Display::Display(int width, int height) {
    // A display number nobody uses: its lock file and socket are absent.
    for (int n = 40 + getpid() % 200; n < 1000; ++n) {
        if (!QFile::exists(QString("/tmp/.X%1-lock").arg(n)) &&
            !QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) {
            number = n;
            break;
        }
    }
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start("Xvfb", {name(), "-screen", "0", QString("%1x%2x24").arg(width).arg(height),
                          "-nolisten", "tcp"});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number))) {
            started = true;
            break;
        }
        QThread::msleep(50);
    }
}

Display::~Display() {
    server.terminate();
    server.waitForFinished(3000);
}

QString run(const Display& display, const QString& program, const QStringList& arguments,
            int* exitCode, int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name());
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    p.waitForFinished(timeoutMs);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

Program::Program(const Display& display, const QString& workDir, const QStringList& arguments,
                 const QStringList& environment)
    : display(display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    env.insert("DISPLAY", display.name());
    env.insert("LIBGL_ALWAYS_SOFTWARE", "1");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(binaryDir() + "/kolvar", arguments);
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
    while (output().find(text) == std::string::npos) {
        if (clock.elapsed() > timeoutMs || !running()) {
            process.waitForReadyRead(100);
            return output().find(text) != std::string::npos;
        }
        process.waitForReadyRead(100);
    }
    return true;
}

QString Program::window() {
    QElapsedTimer clock;
    clock.start();
    while (windowId.isEmpty() && clock.elapsed() < 20000) {
        // The GL widget's hidden helper window carries the same name.
        QString out = run(display, "xdotool", {"search", "--onlyvisible", "--name", "^Kolvar$"});
        QStringList ids = out.split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty())
            windowId = ids.last().trimmed();
        else
            QThread::msleep(100);
    }
    if (!windowId.isEmpty())
        run(display, "xdotool", {"windowfocus", "--sync", windowId});
    return windowId;
}

void Program::key(const QString& keysym) {
    window();
    run(display, "xdotool", {"key", "--delay", "60", keysym});
}

void Program::keyDown(const QString& keysym) {
    window();
    run(display, "xdotool", {"keydown", keysym});
}

void Program::keyUp(const QString& keysym) {
    window();
    run(display, "xdotool", {"keyup", keysym});
}

void Program::click(int x, int y, int button) {
    QString id = window();
    run(display, "xdotool", {"mousemove", "--window", id, QString::number(x), QString::number(y)});
    run(display, "xdotool", {"click", QString::number(button)});
}

QImage Program::screenshot() {
    QTemporaryDir dir;
    QString file = dir.path() + "/shot.png";
    run(display, "import", {"-display", display.name(), "-window", "root", file});
    return QImage(file);
}

QImage Program::windowShot() {
    int x = 0, y = 0, w = 0, h = 0;
    QImage whole = screenshot();
    if (!geometry(x, y, w, h))
        return whole;
    return whole.copy(x, y, w, h);
}

bool Program::geometry(int& x, int& y, int& width, int& height) {
    QString id = window();
    if (id.isEmpty())
        return false;
    QString out = run(display, "xwininfo", {"-id", id});
    bool found[4] = {};
    for (const QString& line : out.split('\n')) {
        QString l = line.trimmed();
        auto value = [&](const char* label, int& into, bool& ok) {
            if (l.startsWith(label)) {
                into = l.mid(int(strlen(label))).trimmed().toInt();
                ok = true;
            }
        };
        value("Absolute upper-left X:", x, found[0]);
        value("Absolute upper-left Y:", y, found[1]);
        value("Width:", width, found[2]);
        value("Height:", height, found[3]);
    }
    return found[0] && found[1] && found[2] && found[3];
}

int Program::waitForExit(int timeoutMs) {
    if (!process.waitForFinished(timeoutMs) && running())
        return -1;
    output();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void Program::frames(int count) { QThread::msleep(50 * count); }

WorkDir::WorkDir() {
    QTemporaryDir tmp(QDir::tempPath() + "/kolvar-e2e-XXXXXX");
    tmp.setAutoRemove(false);
    path = tmp.path();
    QDir(path).mkpath("maps");
}

WorkDir::~WorkDir() { QDir(path).removeRecursively(); }

void WorkDir::write(const QString& relativePath, const std::string& content) const {
    testgl::writeFile(path + "/" + relativePath, content);
}

} // namespace e2e
