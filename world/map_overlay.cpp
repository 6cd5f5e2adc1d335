// Map overlay: the help and status text drawn top-left every frame.
#include "world/map.h"

void Map::buildOverlayText() {
    QString& text = overlay;
    text.clear();
    if (!overlayOn)
        return;
    text += "Lights:\n\n";
    for (std::size_t i = 0; i < lights.size(); ++i)
        text +=
            "Light " + QString::number(int(i), 10) + ": " + (lights[i]->on ? "on" : "off") + "\n";
    text += "\nRendermode (M): ";
    text += renderMode == GL_FILL ? "FILL" : "WIREFRAME";
    text += "\n";
    text += "Shademodel (P): ";
    text += shadeModel == GL_SMOOTH ? "SMOOTH" : "FLAT";
    text += "\n\n";
    // The movement keys by their labels on the user's layout (on AZERTY the
    // letters below); the world's keys keep their letters everywhere.
    const auto key = [this](Move move) { return keys.label(move); };
    if (viewer.isInCar()) {
        text += "\nKey's (mode = car): \n\n";
        text += "Forward: (" + key(Move::Forward) + " / Key_Up)\n";
        text += "Backward: (" + key(Move::Backward) + " / Key_Down)\n";
        text += "Turn Left: (" + key(Move::Left) + " / Key_Left)\n";
        text += "Turn Right: (" + key(Move::Right) + " / Key_Right)\n";
        text += "Get out of the car: (Spacebar)\n";
        text += "Change view: (" + key(Move::View) + ")\n";
        text += "Object to console: (right click)\n";
        text += "Hide this text: (H)\n";
    } else {
        text += "\nKey's (mode = player): \n\n";
        text += "Forward: (" + key(Move::Forward) + " / Key_Up)\n";
        text += "Backward: (" + key(Move::Backward) + " / Key_Down)\n";
        text += "Strafe Left: (" + key(Move::Left) + " / Key_Left)\n";
        text += "Strafe Right: (" + key(Move::Right) + " / Key_Right)\n";
        text += "Rotate Left: (" + key(Move::TurnLeft) + ")\n";
        text += "Rotate Right: (" + key(Move::TurnRight) + ")\n";
        text += "Back to the start: (Spacebar)\n";
        text += "Place to console: (G)\n";
        text += "Object to console: (right click)\n";
        text += "Hide this text: (H)\n";
        text += "Up / Down: (" + key(Move::Up) + " / " + key(Move::Down) + ")\n";
        text += "Car view, for the next car: (" + key(Move::View) + ")\n";
    }
    // Mouse look is on from the start and holds the pointer: T gives it back.
    text += "Mouse look on / off, frees the mouse: (T)\n";
    text += "Collisions on / off: (C)\n";
    text += "Lighting on / off: (L)\n";
    text += "Light on / off: (0 - 7)\n";
    text += "Reload the map: (F5)\n";
    text += "Frame readout: (I)\n";
    text += "Screenshot: (F12)\n";
    text += "Select an object: (Ctrl + click)\n";
    if (selected != kNoObject) {
        text += "Move / up, down / turn: (Ctrl + arrows / Page Up, Page Down / " +
                key(Move::TurnLeft) + ", " + key(Move::TurnRight) + "; Shift: finer)\n";
        text += "Copy / remove / new here: (Ctrl + D / Delete / N)\n";
        text += "Undo / redo: (Ctrl + Z / Ctrl + Shift + Z)\n";
    }
    text += "Quit: (Escape)\n";
    text += selectionLine();
}
