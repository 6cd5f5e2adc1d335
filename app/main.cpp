// Program entry: the command line, then the Qt application and the main
// window at (500, 10).
#include "app/options.h"
#include "app/window.h"

#include <QApplication>
#include <iostream>

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
    QApplication app(argc, argv);
    Window* window = new Window(options);
    QApplication::setActiveWindow(window);
    window->show();
    window->move(500, 10);
    return app.exec();
}
