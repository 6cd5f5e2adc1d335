// MapLoader: the road blueprint reader (subtype, direction and texture of a road piece).
#include "mapfile/maploader.h"

#include "scene/roadflat.h"
#include "scene/roadturn.h"

#include <QDomNodeList>
#include <map>
#include <string>

namespace {

// Direction strings of the turn pieces and their values; flatTurn has its own.
const std::map<std::string, int> kFlatTurnDirections = {
    {"Z_13", 0}, {"Z_42", 1}, {"X_31", 2}, {"X_24", 3}};
const std::map<std::string, int> kTurnDirections = {
    {"upLeft", 0}, {"upRight", 1}, {"downLeft", 2}, {"downRight", 3}};

// The direction value, or -1 when the table does not hold the text.
int turnDirection(const std::map<std::string, int>& table, const std::string& text) {
    auto found = table.find(text);
    return found != table.end() ? found->second : -1;
}

QString names(const std::map<std::string, int>& table) {
    QString text;
    for (const auto& entry : table)
        text += (text.isEmpty() ? "" : ", ") + QString::fromStdString(entry.first);
    return text;
}

} // namespace

// Judges the direction also when only checking; builds the piece only with a world.
TObject* MapLoader::loadRoad(const QDomElement& blueprint) {
    const std::string subtype = blueprint.attribute("subtype").toStdString();
    const QDomElement params = blueprint.elementsByTagName("params").at(0).toElement();
    const std::string direction = params.attribute("direction").toStdString();
    const std::map<std::string, int>* table = subtype == "flatTurn" ? &kFlatTurnDirections
                                              : subtype == "flat"   ? nullptr
                                                                    : &kTurnDirections;
    int value = direction == "X" ? 0 : 1; // flat: "X" runs along x, anything else along z
    if (table) {
        value = turnDirection(*table, direction);
        if (value < 0) {
            warn(params.isNull() ? blueprint : params,
                 "road direction \"" + QString::fromStdString(direction) +
                     "\" is niet gekend voor " + QString::fromStdString(subtype) + " (" +
                     names(*table) + "), wordt 0");
            value = 0;
        }
    }
    if (!map)
        return nullptr;
    Road* piece = nullptr;
    if (subtype == "flat")
        piece = new RoadFlat(value);
    else if (subtype == "flatTurn" || subtype == "turn")
        piece = new RoadTurn(RoadTurn::kSide);
    else if (subtype == "turnLarge")
        piece = new RoadTurn(RoadTurn::kLargeSide);
    else
        return nullptr; // the blueprints section has reported the subtype

    QDomElement texture = blueprint.elementsByTagName("textures")
                              .at(0)
                              .toElement()
                              .elementsByTagName("texture")
                              .at(0)
                              .toElement();
    piece->setTexture(texture.attribute("textureKey").toStdString());
    return piece;
}
