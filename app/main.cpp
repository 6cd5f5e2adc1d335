// Program entry: the command line, the display, the world's folder, then
// the Qt application and the main window at (500, 10).
#include "app/keylabels.h"
#include "app/options.h"
#include "app/platformchoice.h"
#include "app/settings.h"
#include "app/window.h"
#include "app/worldplace.h"
#include "console/narration.h"

#include "world/worldbuilder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <iostream>
#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr int kKeptBlockBytes = 32 << 20; // glibc's largest mmap threshold
constexpr int kKeptHeapBytes = 256 << 20; // free heap kept before it is trimmed

// --check: reads the map, its includes, images and 3DS files without a
// window or display and prints every problem. Exit status 0: none, 1: only
// warnings, 2: a file could not be opened or parsed.
int checkMap(int& argc, char** argv, const Options& options) {
    QCoreApplication app(argc, argv); // image format plugins, no display
    const LoadReport found = WorldBuilder::check(options.mapPath, options.mapName);
    std::cout << options.mapName.toStdString() << ": " << found.errors << " fouten, "
              << found.warnings << " waarschuwingen\n";
    return found.exitStatus();
}

QByteArray currentFolder() {
    char* folder = ::getcwd(nullptr, 0);
    const QByteArray bytes(folder ? folder : ".");
    std::free(folder);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    // Every console line reaches a piped log at once, even if the process is killed.
    std::cout << std::unitbuf;
    // Read before any Qt application exists, so --help and a bad command line need no display.
    Options options;
    int status = 0;
    if (!parseOptions(argc, argv, options, status))
        return status;
    narration::quiet = options.quiet;
    PlatformChoice platform;
    if (!options.check) {
        platform = PlatformChoice::choose([](const char* name) { return qgetenv(name); });
        if (platform.kind == PlatformChoice::NoDisplay) {
            std::cout << "kolvar: geen scherm (DISPLAY en WAYLAND_DISPLAY zijn leeg); "
                         "kolvar --check [MAP] controleert een map zonder scherm, "
                         "xvfb-run -a kolvar [MAP] toont de wereld op een virtueel scherm\n";
            return 2;
        }
    }
    // The frame log is named from where the program was started.
    if (!options.frameLog.isEmpty() && !options.frameLog.startsWith('/'))
        options.frameLog = QFile::decodeName(currentFolder()) + "/" + options.frameLog;
    // Before anything is read: includes, images and models are named from the world's folder.
    const WorldPlace place =
        WorldPlace::locate(options.givenMap, currentFolder(), WorldPlace::installedWorld());
    QString problem;
    if (!place.enter(options, problem)) {
        std::cout << "kolvar: " << problem.toStdString() << "\n";
        return 2;
    }
    // Qt sees the program's name only: every argument was ours, and a map
    // named like one of Qt's own options is no option to it.
    int qtArgc = 1;
    if (options.check)
        return checkMap(qtArgc, argv, options);
    if (platform.kind == PlatformChoice::UseXcb) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        std::cout << "Wayland-sessie: Kolvar draait via XWayland (xcb), want alleen daar kan de "
                     "muisblik de muis terugzetten\n";
    }
    // Mesa's software renderer allocates and frees buffers of a few megabytes
    // every frame; kept in the process instead of returned to the system
    // they are reused without a thousand fresh page faults a frame.
    mallopt(M_MMAP_THRESHOLD, kKeptBlockBytes);
    mallopt(M_TRIM_THRESHOLD, kKeptHeapBytes);
    QApplication app(qtArgc, argv);
    if (QGuiApplication::platformName().startsWith("wayland"))
        std::cout << "Wayland zonder XWayland: de muisblik (T) kan de muis niet terugzetten en "
                     "werkt niet; draai met A en E, of start met QT_QPA_PLATFORM=xcb\n";
    // The user's settings, and the keys named as this keyboard labels them.
    QStringList problems;
    const QString settingsFile = Settings::defaultPath();
    Settings settings = Settings::read(settingsFile, problems);
    problems << KeyLabels::fromDisplay().apply(settings.keys, settingsFile);
    for (const QString& line : problems)
        std::cout << line.toStdString() << "\n";
    Window window(options, settings); // closed and freed before the application
    QApplication::setActiveWindow(&window);
    window.show();
    window.move(500, 10);
    const int exitStatus = app.exec();
#if defined(__SANITIZE_ADDRESS__)
    // A sanitized build looks for leaks now, while Mesa's driver is loaded:
    // once the application closes the display the driver is unloaded, and
    // what it keeps for the process could no longer be told from a leak.
    __lsan_do_leak_check();
#endif
    return exitStatus;
}
