// MapLoader: the road blueprint reader (subtype, direction and texture of a road piece).
#include "mapfile/maploader.h"

#include "scene/road.h"

#include <QDomNodeList>
#include <iostream>
#include <map>
#include <string>

namespace {

// Direction strings of the turn pieces and their values; flatTurn has its own.
const std::map<std::string, int> kFlatTurnDirections = {
    {"Z_13", 0}, {"Z_42", 1}, {"X_31", 2}, {"X_24", 3}};
const std::map<std::string, int> kTurnDirections = {
    {"upLeft", 0}, {"upRight", 1}, {"downLeft", 2}, {"downRight", 3}};

int turnDirection(const std::map<std::string, int>& table, const std::string& text) {
    auto found = table.find(text);
    if (found != table.end())
        return found->second;
    std::cout << "Road direction " << text << " is niet gekend, 0 wordt gebruikt \n";
    return 0;
}

} // namespace

TObject* MapLoader::loadRoad(const QDomElement& blueprint) {
    const std::string subtype = blueprint.attribute("subtype").toStdString();
    const std::string direction = blueprint.elementsByTagName("params")
                                      .at(0)
                                      .toElement()
                                      .attribute("direction")
                                      .toStdString();
    Road* piece = nullptr;
    if (subtype == "flat") {
        piece = new RoadFlat(direction == "X" ? 0 : 1);
    } else if (subtype == "flatTurn") {
        piece = new RoadFlatTurn(turnDirection(kFlatTurnDirections, direction));
    } else if (subtype == "turn") {
        piece = new RoadTurn(turnDirection(kTurnDirections, direction));
    } else if (subtype == "turnLarge") {
        piece = new RoadTurnLarge(turnDirection(kTurnDirections, direction));
    } else {
        std::cout << "Road subtype " << subtype << " is niet gekend, blueprint "
                  << blueprint.attribute("key").toStdString() << " wordt overgeslagen \n";
        return nullptr;
    }

    QDomElement texture = blueprint.elementsByTagName("textures")
                              .at(0)
                              .toElement()
                              .elementsByTagName("texture")
                              .at(0)
                              .toElement();
    piece->setTexture(texture.attribute("textureKey").toStdString());
    return piece;
}
