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
    if (viewer.isInCar()) {
        text += "\nKey's (mode = car): \n\n";
        text += "Forward: (Z / Key_Up)\n";
        text += "Backward: (S / Key_Down)\n";
        text += "Turn Left: (Q / Key_Left)\n";
        text += "Turn Right: (D / Key_Right)\n";
        text += "Get out of the car: (Spacebar)\n";
        text += "Change view: (tab)\n";
        text += "Object to console: (right click)\n";
        text += "Hide this text: (H)\n";
    } else {
        text += "\nKey's (mode = player): \n\n";
        text += "Forward: (Z / Key_Up)\n";
        text += "Backward: (S / Key_Down)\n";
        text += "Strafe Left: (Q / Key_Left)\n";
        text += "Strafe Right: (D / Key_Right)\n";
        text += "Rotate Left: (A)\n";
        text += "Rotate Right: (E)\n";
        text += "Back to the start: (Spacebar)\n";
        text += "Place to console: (G)\n";
        text += "Object to console: (right click)\n";
        text += "Hide this text: (H)\n";
    }
}
