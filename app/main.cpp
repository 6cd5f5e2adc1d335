// Program entry: the command line, then the Qt application and the main
// window at (500, 10).
#include "app/options.h"
#include "app/window.h"

#include "world/worldbuilder.h"

#include <QApplication>
#include <QCoreApplication>
#include <iostream>
#include <malloc.h>

namespace {

constexpr int kKeptBlockBytes = 32 << 20; // glibc's largest mmap threshold
constexpr int kKeptHeapBytes = 256 << 20; // free heap kept before it is trimmed

// --check: reads the map, its includes, images and 3DS files without a
// window or display and prints every problem. Exit status 0: none, 1: only
// warnings, 2: a file could not be opened or parsed.
int checkMap(int argc, char** argv, const QString& mapPath) {
    QCoreApplication app(argc, argv); // image format plugins, no display
    const LoadReport found = WorldBuilder::check(mapPath);
    std::cout << mapPath.toStdString() << ": " << found.errors << " fouten, " << found.warnings
              << " waarschuwingen\n";
    return found.exitStatus();
}

} // namespace

int main(int argc, char** argv) {
    // Every console line reaches a piped log at once, even if the process is killed.
    std::cout << std::unitbuf;
    // Read before any Qt application exists, so a bad command line needs no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Options options = parseOptions(arguments);
    if (!options.error.isEmpty()) {
        std::cout << "kolvar: " << options.error.toStdString() << "\n"
                  << "gebruik: kolvar [--check | --frames N] [MAP]\n";
        return 2;
    }
    if (options.check)
        return checkMap(argc, argv, options.mapPath);
    // Mesa's software renderer allocates and frees buffers of a few megabytes
    // every frame; kept in the process instead of returned to the system
    // they are reused without a thousand fresh page faults a frame.
    mallopt(M_MMAP_THRESHOLD, kKeptBlockBytes);
    mallopt(M_TRIM_THRESHOLD, kKeptHeapBytes);
    QApplication app(argc, argv);
    Window* window = new Window(options);
    QApplication::setActiveWindow(window);
    window->show();
    window->move(500, 10);
    return app.exec();
}
