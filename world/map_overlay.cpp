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
    if (camera && camera->isInCar()) {
        overlayText += "\nKey's (mode = car): \n\n";
        overlayText += "Forward: (Z / Key_Up)\n";
        overlayText += "Backward: (S / Key_Down)\n";
        overlayText += "Turn Left: (Q / Key_Left)\n";
        overlayText += "Turn Right: (D / Key_Right)\n";
        overlayText += "Get out of the car: (Spacebar)\n";
        overlayText += "Change view: (tab)\n";
        overlayText += "Object to console: (right click)\n";
        overlayText += "Hide this text: (H)\n";
    } else {
        overlayText += "\nKey's (mode = player): \n\n";
        overlayText += "Forward: (Z / Key_Up)\n";
        overlayText += "Backward: (S / Key_Down)\n";
        overlayText += "Strafe Left: (Q / Key_Left)\n";
        overlayText += "Strafe Right: (D / Key_Right)\n";
        overlayText += "Rotate Left: (A)\n";
        overlayText += "Rotate Right: (E)\n";
        overlayText += "Back to the start: (Spacebar)\n";
        overlayText += "Place to console: (G)\n";
        overlayText += "Object to console: (right click)\n";
        overlayText += "Hide this text: (H)\n";
    }
}
