// Program entry: the Qt application and the main window at (500, 10).
#include "app/window.h"

#include <QApplication>
#include <iostream>

int main(int argc, char** argv) {
    // Every console line reaches a piped log at once, even if the process is killed.
    std::cout << std::unitbuf;
    QApplication app(argc, argv);
    Window* window = new Window;
    QApplication::setActiveWindow(window);
    window->show();
    window->move(500, 10);
    return app.exec();
}
