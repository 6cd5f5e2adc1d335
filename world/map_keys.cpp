// Map keys: the world's switches and readouts, then every key but Escape to
// the camera.
#include "world/map.h"

#include <QKeyEvent>
#include <cstdlib>
#include <iostream>

namespace {
constexpr int kEscapeExitStatus = 1;
}

void Map::keyPressed(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_T) {
        mouseLook = !mouseLook;
    } else if (key == Qt::Key_C) {
        collisionOn = !collisionOn;
    } else if (key == Qt::Key_Space) {
        mouseLook = true;
        viewer.leaveCar();
        resetViewer();
    } else if (key == Qt::Key_L) {
        lightingOn = !lightingOn;
        std::cout << "L gepressed " << lightingOn << "\n";
    } else if (key >= Qt::Key_0 && key <= Qt::Key_7) {
        const int digit = key - Qt::Key_0;
        if (hasLight(digit) && std::size_t(digit) < lights.size()) {
            Light* light = lights[digit];
            light->on = !light->on;
            std::cout << digit << " gepressed " << light->on << "\n";
        }
    } else if (key == Qt::Key_M) {
        if (renderMode == GL_LINE)
            renderMode = GL_FILL;
        else if (renderMode == GL_FILL)
            renderMode = GL_LINE;
    } else if (key == Qt::Key_P) {
        if (shadeModel == GL_SMOOTH)
            shadeModel = GL_FLAT;
        else if (shadeModel == GL_FLAT)
            shadeModel = GL_SMOOTH;
    } else if (key == Qt::Key_G) {
        printViewerPlace();
    } else if (key == Qt::Key_H) {
        overlayOn = !overlayOn;
    } else if (key == Qt::Key_Escape) {
        std::exit(kEscapeExitStatus);
    }
    // A held key's repeats change nothing: the step holds while it is down.
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    viewer.press(keys.moveFor(event->nativeScanCode(), key, event->modifiers(), true));
}

void Map::keyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    viewer.release(keys.moveFor(event->nativeScanCode(), event->key(), event->modifiers(), false));
}

void Map::mouseMoved(QMouseEvent* event) {
    viewer.mouseMoved(event);
}
