// MapLoader: the girder blueprint reader (shape, and per-side textures,
// materials and normals).
#include "mapfile/maploader.h"

#include "mapfile/mapformat.h"
#include "scene/girder.h"
#include "scene/girderrect.h"
#include "scene/material.h"

#include <QDomNodeList>
#include <string>

namespace {

// The first descendant element of this name, or a null element.
QDomElement firstBelow(const QDomElement& parent, const QString& tagName) {
    return parent.elementsByTagName(tagName).at(0).toElement();
}

float number(const QDomElement& element, const QString& name) {
    return MapFormat::numberValue(element.attribute(name));
}

FPoint pointOf(const QDomElement& element) {
    return FPoint(number(element, "x"), number(element, "y"), number(element, "z"));
}

// Reads "r", "g", "b", "a" of the first colour element of this name into rgba,
// if the material has one; a missing component reads as 0.
void readColour(const QDomElement& material, const QString& tagName, float rgba[4]) {
    QDomNodeList found = material.elementsByTagName(tagName);
    if (found.isEmpty())
        return;
    QDomElement colour = found.at(0).toElement();
    rgba[0] = number(colour, "r");
    rgba[1] = number(colour, "g");
    rgba[2] = number(colour, "b");
    rgba[3] = number(colour, "a");
}

// A girder built from "point" elements; corners not named stay at the origin.
Girder* girderFromPoints(const QDomElement& blueprint) {
    static const char* const kNames[8] = {"ftl", "ftr", "fbl", "fbr", "btl", "btr", "bbl", "bbr"};
    FPoint corners[8];
    QDomNodeList points = firstBelow(blueprint, "points").elementsByTagName("point");
    for (int i = 0; i < points.size(); ++i) {
        QDomElement point = points.at(i).toElement();
        const QString name = point.attribute("p");
        for (int c = 0; c < 8; ++c) {
            if (name == kNames[c]) {
                corners[c] = pointOf(point);
                break;
            }
        }
    }
    const FPoint &ftl = corners[0], &ftr = corners[1], &fbl = corners[2], &fbr = corners[3];
    const FPoint &btl = corners[4], &btr = corners[5], &bbl = corners[6], &bbr = corners[7];
    return new Girder(ftl, ftr, fbr, fbl, btl, btr, bbr, bbl);
}

} // namespace

TObject* MapLoader::loadGirder(const QDomElement& blueprint) {
    QDomElement params = firstBelow(blueprint, "params");
    const QString subtype = params.attribute("subtype");
    Girder* girder = nullptr;
    if (subtype == "rect") {
        float depth = number(params, "depth");
        float height = number(params, "height");
        float width = number(params, "width");
        girder = new GirderRect(width, height, depth);
    } else if (subtype == "cube") {
        float width = number(params, "width");
        girder = new GirderRect(width, width, width);
    } else {
        girder = girderFromPoints(blueprint);
    }

    QDomNodeList textures = firstBelow(blueprint, "textures").elementsByTagName("texture");
    for (int i = 0; i < textures.size(); ++i) {
        QDomElement texture = textures.at(i).toElement();
        const std::string side = texture.attribute("side").toStdString();
        const std::string key = texture.attribute("textureKey").toStdString();
        if (side == "all")
            girder->setTextureAll(key);
        else
            girder->setTexture(sideFromName(side), key);
    }

    QDomNodeList materials = firstBelow(blueprint, "materials").elementsByTagName("material");
    for (int i = 0; i < materials.size(); ++i) {
        QDomElement element = materials.at(i).toElement();
        Material material;
        readColour(element, "ambient", material.ambient);
        readColour(element, "diffuse", material.diffuse);
        readColour(element, "specular", material.specular);
        QDomNodeList shininess = element.elementsByTagName("shininess");
        if (!shininess.isEmpty())
            material.shininess = number(shininess.at(0).toElement(), "value");
        const std::string side = element.attribute("side").toStdString();
        if (side == "all")
            girder->setMaterialAll(material);
        else
            girder->setMaterial(sideFromName(side), material);
    }

    // "all" is not a side for normals: it falls back to the top side like any unknown name.
    QDomNodeList normals = firstBelow(blueprint, "normals").elementsByTagName("normal");
    for (int i = 0; i < normals.size(); ++i) {
        QDomElement normal = normals.at(i).toElement();
        girder->setNormal(sideFromName(normal.attribute("side").toStdString()), pointOf(normal));
    }
    return girder;
}
