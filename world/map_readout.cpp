// Map readouts: the viewer's place and a placed object as map file text,
// ready to paste into a map, printed on the console.
#include "world/map.h"

#include <QString>
#include <cmath>
#include <iostream>

namespace {

// Coordinates as a map file writes them: up to 3 decimals, no trailing zeros.
std::string mapNumber(double value) {
    QString text = QString::number(std::round(value * 1000.0) / 1000.0, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return (text == "-0" ? QString("0") : text).toStdString();
}

// A turn as the same turn in [0, 360) degrees, rounded as mapNumber rounds.
float turnDegrees(float degrees) {
    double turn = std::fmod(double(degrees), 360.0);
    if (turn < 0)
        turn += 360.0;
    turn = std::round(turn * 1000.0) / 1000.0;
    return float(turn >= 360.0 ? 0.0 : turn);
}

} // namespace

void Map::printViewerPlace() const {
    double eye[3], centre[3]; // where the viewer is shown
    viewer.shownView(eye, centre);
    std::cout << "<startingPos posx=\"" << mapNumber(eye[0]) << "\" posy=\"" << mapNumber(eye[1])
              << "\" posz=\"" << mapNumber(eye[2]) << "\" viewx=\"" << mapNumber(centre[0])
              << "\" viewy=\"" << mapNumber(centre[1]) << "\" viewz=\"" << mapNumber(centre[2])
              << "\"/>" << std::endl;
}

void Map::printObject(ObjectId id) const {
    const PlacedObject& placedObject = placed[id];
    const std::string& blueprintKey = placedObject.blueprintKey;
    const std::string& objectKey = placedObject.objectKey;
    const TObject* object = placedObject.object;
    // The file's y: every object but the sky box was raised when it was placed.
    const double fileY = fileHeight(id);
    const MapPlace& place = placedObject.source;
    if (!place.file.isEmpty())
        std::cout << place.file.toStdString() << ":" << place.line << ":" << place.column << ": ";
    std::cout << "object \"" << objectKey << "\" van blueprint \"" << blueprintKey
              << "\" staat nu hier:\n";
    std::cout << "<object key=\"" << objectKey << "\" blueprintKey=\"" << blueprintKey << "\""
              << (isMobile(objectKey) ? " mobile=\"true\"" : "") << "><pos x=\""
              << mapNumber(object->position.x) << "\" y=\"" << mapNumber(fileY) << "\" z=\""
              << mapNumber(object->position.z) << "\"/>";
    // Turns in degrees from 0 up to 360: a driven car's heading runs on past
    // a full turn either way.
    const FPoint r(turnDegrees(object->rotation.x), turnDegrees(object->rotation.y),
                   turnDegrees(object->rotation.z));
    if (r.x == 0.0f && r.z == 0.0f && r.y != 0.0f)
        std::cout << "<rot value=\"" << mapNumber(r.y) << "\"/>";
    else if (r.x != 0.0f || r.y != 0.0f || r.z != 0.0f)
        std::cout << "<rot x=\"" << mapNumber(r.x) << "\" y=\"" << mapNumber(r.y) << "\" z=\""
                  << mapNumber(r.z) << "\"/>";
    const FPoint& s = object->scale;
    if (s.x == s.y && s.y == s.z && s.x != 1.0f)
        std::cout << "<scale value=\"" << mapNumber(s.x) << "\"/>";
    else if (s.x != 1.0f || s.y != 1.0f || s.z != 1.0f)
        std::cout << "<scale x=\"" << mapNumber(s.x) << "\" y=\"" << mapNumber(s.y) << "\" z=\""
                  << mapNumber(s.z) << "\"/>";
    std::cout << "</object>" << std::endl;
}

QString Map::selectionLine() const {
    if (selected == kNoObject)
        return QString();
    const PlacedObject& object = placed[selected];
    const FPoint& at = object.object->position;
    return "Selected: " + QString::fromStdString(object.objectKey) + " " + object.source.file + ":" +
           QString::number(object.source.line) + " (" +
           QString::fromStdString(mapNumber(at.x)) + ", " +
           QString::fromStdString(mapNumber(fileHeight(selected))) + ", " +
           QString::fromStdString(mapNumber(at.z)) + ")\n";
}
