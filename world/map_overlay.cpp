// Map overlay: the help and status text drawn top-left every frame.
#include "world/map.h"

void Map::buildOverlayText() {
    overlayText.clear();
    if (!overlayShown)
        return;
    overlayText += "Lights:\n\n";
    for (std::size_t i = 0; i < lights.size(); ++i)
        overlayText +=
            "Light " + QString::number(int(i), 10) + ": " + (lights[i]->on ? "on" : "off") + "\n";
    overlayText += "\nRendermode (M): ";
    overlayText += renderMode == GL_FILL ? "FILL" : "WIREFRAME";
    overlayText += "\n";
    overlayText += "Shademodel (P): ";
    overlayText += shadeModel == GL_SMOOTH ? "SMOOTH" : "FLAT";
    overlayText += "\n\n";
    // The movement keys by their labels on the user's layout (on AZERTY the
    // letters below); the world's keys keep their letters everywhere.
    const auto key = [this](Move move) { return keys.label(move); };
    const bool inCar = camera && camera->isInCar();
    if (inCar) {
        overlayText += "\nKey's (mode = car): \n\n";
        overlayText += "Forward: (" + key(Move::Forward) + " / Key_Up)\n";
        overlayText += "Backward: (" + key(Move::Backward) + " / Key_Down)\n";
        overlayText += "Turn Left: (" + key(Move::Left) + " / Key_Left)\n";
        overlayText += "Turn Right: (" + key(Move::Right) + " / Key_Right)\n";
        overlayText += "Get out of the car: (Spacebar)\n";
        overlayText += "Change view: (" + key(Move::View) + ")\n";
        overlayText += "Object to console: (right click)\n";
        overlayText += "Hide this text: (H)\n";
    } else {
        overlayText += "\nKey's (mode = player): \n\n";
        overlayText += "Forward: (" + key(Move::Forward) + " / Key_Up)\n";
        overlayText += "Backward: (" + key(Move::Backward) + " / Key_Down)\n";
        overlayText += "Strafe Left: (" + key(Move::Left) + " / Key_Left)\n";
        overlayText += "Strafe Right: (" + key(Move::Right) + " / Key_Right)\n";
        overlayText += "Rotate Left: (" + key(Move::TurnLeft) + ")\n";
        overlayText += "Rotate Right: (" + key(Move::TurnRight) + ")\n";
        overlayText += "Back to the start: (Spacebar)\n";
        overlayText += "Place to console: (G)\n";
        overlayText += "Object to console: (right click)\n";
        overlayText += "Hide this text: (H)\n";
        overlayText += "Up / Down: (" + key(Move::Up) + " / " + key(Move::Down) + ")\n";
        overlayText += "Car view, for the next car: (" + key(Move::View) + ")\n";
    }
    // Mouse look is on from the start and holds the pointer: T gives it back.
    overlayText += "Mouse look on / off, frees the mouse: (T)\n";
    overlayText += "Collisions on / off: (C)\n";
    overlayText += "Lighting on / off: (L)\n";
    overlayText += "Light on / off: (0 - 7)\n";
    overlayText += "Reload the map: (F5)\n";
    overlayText += "Frame readout: (I)\n";
    overlayText += "Screenshot: (F12)\n";
    overlayText += "Quit: (Escape)\n";
}
