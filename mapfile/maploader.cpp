// MapLoader: one map file into the world: includes, camera, textures,
// lights, blueprints (the section loop, quads and 3DS models), objects.
// Girder and road blueprints are read in maploader_girder.cpp and
// maploader_road.cpp.
#include "mapfile/maploader.h"

#include "mapfile/xmlhandler.h"
#include "model3ds/model3ds.h"
#include "scene/light.h"
#include "scene/quad.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <QDomNodeList>
#include <QFileInfo>
#include <iostream>

namespace {

constexpr const char* kIncludeDirectory = "maps/";

float floatAttribute(const QDomElement& element, const char* name) {
    return element.attribute(name, "").toFloat();
}

std::string stringAttribute(const QDomElement& element, const char* name) {
    return element.attribute(name, "").toStdString();
}

// The first descendant element of this name, or a null element.
QDomElement firstDescendant(const QDomElement& element, const char* name) {
    return element.elementsByTagName(name).item(0).toElement();
}

// Every descendant element of this name below the first section element.
QDomNodeList sectionItems(const XmlHandler& handler, const char* section, const char* item) {
    return handler.firstElementByTagName(section).toElement().elementsByTagName(item);
}

// A file on the include chain is compared by its absolute path, so that
// "maps/a.xml" and "maps/./a.xml" are the same file.
QString chainName(const QString& fileName) {
    QFileInfo info(fileName);
    return info.exists() ? info.absoluteFilePath() : fileName;
}

} // namespace

MapLoader::MapLoader(Map* map) : map(map) {}

MapLoader::~MapLoader() { delete handler; }

QString MapLoader::mapPath(const char* prefix, const QString& name) {
    return QString::fromLatin1(prefix) + name;
}

bool MapLoader::load(const QString& fileName) {
    handler = new XmlHandler;
    if (!handler->load(fileName, "map"))
        return false;
    chain.append(chainName(fileName));
    loadIncludes();
    loadCamera();
    loadTextures();
    loadLights();
    loadBlueprints();
    loadObjects();
    return true;
}

void MapLoader::loadIncludes() {
    QDomNodeList includes = sectionItems(*handler, "includes", "include");
    for (int i = 0; i < includes.count(); ++i) {
        QString path = mapPath(kIncludeDirectory, includes.item(i).toElement().attribute("file", ""));
        // A file already being read further up the chain would recurse without end.
        if (chain.contains(chainName(path))) {
            std::cout << "Include lus gevonden : " << path.toStdString()
                      << " wordt overgeslagen \n";
            continue;
        }
        MapLoader included(map);
        included.chain = chain;
        included.load(path);
    }
}

void MapLoader::loadCamera() {
    QDomElement camera = handler->firstElementByTagName("camera").toElement();
    if (camera.isNull())
        return;
    QDomElement start = firstDescendant(camera, "startingPos");
    map->setCamera(new Camera(floatAttribute(start, "posx"), floatAttribute(start, "posy"),
                              floatAttribute(start, "posz"), floatAttribute(start, "viewx"),
                              floatAttribute(start, "viewy"), floatAttribute(start, "viewz"), 0.0,
                              1.0, 0.0));
}

void MapLoader::loadTextures() {
    QDomNodeList textures = sectionItems(*handler, "textures", "texture");
    for (int i = 0; i < textures.count(); ++i) {
        QDomElement texture = textures.item(i).toElement();
        textureFactory->loadTexture(stringAttribute(texture, "key"), stringAttribute(texture, "file"));
    }
}

void MapLoader::loadLights() {
    QDomNodeList lights = sectionItems(*handler, "lights", "light");
    for (int i = 0; i < lights.count(); ++i) {
        QDomElement element = lights.item(i).toElement();
        int nr = element.attribute("nr", "").toInt(nullptr, 10);
        GLenum id = (nr >= 1 && nr <= 7) ? GLenum(GL_LIGHT0 + nr) : GLenum(GL_LIGHT0);
        Light* light = new Light(id);
        light->setPosition(floatAttribute(element, "x"), floatAttribute(element, "y"),
                           floatAttribute(element, "z"), floatAttribute(element, "a"));
        light->on = element.attribute("on", "") == "true";

        auto colour = [&](const char* name, void (Light::*set)(float, float, float, float)) {
            QDomElement c = firstDescendant(element, name);
            if (!c.isNull())
                (light->*set)(floatAttribute(c, "r"), floatAttribute(c, "g"),
                              floatAttribute(c, "b"), floatAttribute(c, "a"));
        };
        colour("ambient", &Light::setAmbient);
        colour("diffuse", &Light::setDiffuse);
        colour("specular", &Light::setSpecular);

        QDomElement spot = firstDescendant(element, "spot");
        if (!spot.isNull()) {
            light->setSpot(floatAttribute(spot, "radius"), floatAttribute(spot, "x"),
                           floatAttribute(spot, "y"), floatAttribute(spot, "z"),
                           floatAttribute(spot, "a"));
            if (spot.hasAttribute("exponent"))
                light->setSpotExponent(floatAttribute(spot, "exponent"));
        }
        QDomElement attenuation = firstDescendant(element, "attenuation");
        if (!attenuation.isNull())
            light->setAttenuation(floatAttribute(attenuation, "constant"),
                                  floatAttribute(attenuation, "linear"),
                                  floatAttribute(attenuation, "quadratic"));

        map->addLight(light);
        if (element.hasAttribute("flashlight"))
            map->addFlashlight(light);
    }
}

void MapLoader::loadBlueprints() {
    QDomNodeList blueprints = sectionItems(*handler, "blueprints", "blueprint");
    for (int i = 0; i < blueprints.count(); ++i) {
        QDomElement element = blueprints.item(i).toElement();
        const QString type = element.attribute("type", "");
        const std::string key = stringAttribute(element, "key");
        TObject* blueprint = nullptr;
        if (type == "smax")
            blueprint = loadSmax(element);
        else if (type == "girder")
            blueprint = loadGirder(element);
        else if (type == "quad")
            blueprint = loadQuad(element);
        else if (type == "road")
            blueprint = loadRoad(element);
        else
            std::cout << "Blueprint type " << type.toStdString() << " is niet gekend, blueprint "
                      << key << " wordt overgeslagen \n";
        if (!blueprint)
            continue; // an unknown type or road subtype registers nothing

        QDomElement box = firstDescendant(element, "boundingBox");
        if (!box.isNull()) {
            blueprint->boxWidth = floatAttribute(box, "width");
            blueprint->boxHeight = floatAttribute(box, "height");
            blueprint->boxDepth = floatAttribute(box, "depth");
        }
        map->addBlueprint(key, blueprint);
    }
}

TObject* MapLoader::loadSmax(const QDomElement& blueprint) {
    Model_3DS* model = new Model_3DS;
    model->load(stringAttribute(blueprint, "file").c_str());
    return model;
}

TObject* MapLoader::loadQuad(const QDomElement& blueprint) {
    Quad* quad = new Quad;
    QDomElement params = firstDescendant(blueprint, "params");
    quad->width = floatAttribute(params, "width");
    quad->height = floatAttribute(params, "height");
    QDomElement texture = firstDescendant(firstDescendant(blueprint, "textures"), "texture");
    quad->setTexture(stringAttribute(texture, "textureKey"));
    return quad;
}

void MapLoader::loadObjects() {
    QDomNodeList objects = sectionItems(*handler, "objects", "object");
    for (int i = 0; i < objects.count(); ++i) {
        QDomElement element = objects.item(i).toElement();
        TObject* object = new TObject;

        QDomElement pos = firstDescendant(element, "pos");
        if (!pos.isNull())
            object->position = FPoint(floatAttribute(pos, "x"), floatAttribute(pos, "y"),
                                      floatAttribute(pos, "z"));
        QDomElement rot = firstDescendant(element, "rot");
        if (!rot.isNull()) {
            if (rot.hasAttribute("value"))
                object->rotation.y = floatAttribute(rot, "value");
            else
                object->rotation = FPoint(floatAttribute(rot, "x"), floatAttribute(rot, "y"),
                                          floatAttribute(rot, "z"));
        }
        QDomElement scale = firstDescendant(element, "scale");
        if (!scale.isNull()) {
            if (scale.hasAttribute("value")) {
                float factor = floatAttribute(scale, "value");
                object->scale = FPoint(factor, factor, factor);
            } else {
                object->scale = FPoint(floatAttribute(scale, "x"), floatAttribute(scale, "y"),
                                       floatAttribute(scale, "z"));
            }
        }

        const std::string key = stringAttribute(element, "key");
        const std::string blueprintKey = stringAttribute(element, "blueprintKey");
        if (map->hasBlueprint(blueprintKey))
            map->addObject(blueprintKey, key, object);
        else
            delete object; // an object of an unknown blueprint is dropped silently
        if (element.hasAttribute("mobile"))
            map->addMobileKey(key);
    }
}
