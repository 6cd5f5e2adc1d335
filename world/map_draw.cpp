// Map drawing: display lists for the placed objects, compiled once, and the
// per-frame pass (switches, camera step, flashlights, objects, overlay text).
#include "world/map.h"

#include <iostream>

namespace {
// Copies an instance's placement into its blueprint, which is shared by all
// instances and so carries the placement of the one drawn last.
void place(TObject* blueprint, const TObject* instance) {
    blueprint->resetTransform();
    blueprint->position = instance->position;
    blueprint->rotation = instance->rotation;
    blueprint->scale = instance->scale;
}
} // namespace

void Map::compileDisplayLists() {
    for (const auto& [blueprintKey, group] : objects) {
        TObject* blueprint = getBlueprint(blueprintKey);
        if (!blueprint)
            continue;
        for (const auto& [objectKey, object] : group) {
            place(blueprint, object);
            GLuint list = glGenLists(1);
            displayLists[blueprintKey][objectKey] = list;
            glNewList(list, GL_COMPILE);
                glPushMatrix();
                    blueprint->draw();
                glPopMatrix();
            glEndList();
        }
    }
}

void Map::drawFrame() {
    ensureCamera();
    if (lightingOn)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, renderMode);
    glShadeModel(shadeModel);

    // The camera step sets this frame's view with gluLookAt.
    if (!collisionOn)
        camera->update();
    else if (camera->isInCar())
        camera->carFrame(this);
    else
        camera->footFrame(this);

    // Flashlights sit at the eye and shine where the viewer looks.
    for (Light* light : flashlights) {
        light->setPosition(float(camera->eye[0]), float(camera->eye[1]), float(camera->eye[2]),
                           1.0f);
        light->setSpot(light->spotCutoff, float(camera->centre[0] - camera->eye[0]),
                       float(camera->centre[1] - camera->eye[1]),
                       float(camera->centre[2] - camera->eye[2]), 1.0f);
    }

    for (const auto& [blueprintKey, group] : objects) {
        auto lists = displayLists.find(blueprintKey);
        for (const auto& [objectKey, object] : group) {
            TObject* blueprint = getBlueprint(blueprintKey);
            if (!blueprint) {
                std::cout << "Blueprint : " << blueprintKey << " : voor object " << objectKey
                          << " is niet gekend! \n";
                continue;
            }
            place(blueprint, object);
            const bool mobile = isMobile(objectKey);
            if (mobile)
                glPushName(mobileKeys[objectKey]);

            // The sky box is lit by the first light alone, everything else by
            // every light but the one on GL_LIGHT0.
            if (objectKey == "skybox") {
                if (!lights.empty())
                    lights.front()->draw();
            } else {
                for (Light* light : lights)
                    if (light->lightId != GL_LIGHT0)
                        light->draw();
            }

            if (mobile) {
                // Some blueprints (girders) change the model-view matrix
                // without restoring it; keep it for the objects after this one.
                glPushMatrix();
                    blueprint->draw();
                glPopMatrix();
            } else {
                GLuint list = 0;
                if (lists != displayLists.end()) {
                    auto it = lists->second.find(objectKey);
                    if (it != lists->second.end())
                        list = it->second;
                }
                glCallList(list);
            }

            for (Light* light : lights)
                light->disable();
            if (mobile)
                glPopName();
        }
    }

    buildOverlayText();
}
