// MapCheck: the checks on a map's data, file by file in build order.
#include "mapfile/mapcheck.h"

#include "mapfile/mapformat.h"
#include "mapfile/maprules.h"
#include "mapfile/worldrules.h"

#include <cmath>
#include <map>
#include <optional>

namespace {

// Suggesting a near key means comparing with every key; beyond this many, none is suggested.
constexpr std::size_t kMaxKeysToSuggestFrom = 1000;
// A key of more UTF-8 bytes than this is too long to be suggested.
constexpr std::size_t kMaxSuggestedBytes = 4 * MapFormat::kMaxSuggestedLength;
// Character pairs compared for all key suggestions of one load together:
// some tenths of a second.
constexpr qint64 kSuggestionBudget = 100000000;
// Beyond this distance along the ground from the camera's pos to its view
// point (world units), a step on foot (a fifth of it) is over 10 units a frame.
constexpr double kMaxViewReach = 50.0;

bool samePlace(const MapPlace& a, const MapPlace& b) {
    return a.file == b.file && a.line == b.line && a.column == b.column;
}

QString suggestion(const QString& name, const std::vector<QString>& known) {
    const QString nearest = MapFormat::nearestName(name, known);
    return nearest.isEmpty() ? QString() : " (bedoelt u " + nearest + "?)";
}

// Records that key is defined at place (the later definition wins); the
// place of an earlier definition elsewhere, if there was one. A diamond
// include reads one definition twice, which is no duplicate.
template <typename Key>
std::optional<MapPlace> define(std::map<Key, MapPlace>& keys, const Key& key,
                               const MapPlace& place) {
    auto [entry, added] = keys.emplace(key, place);
    std::optional<MapPlace> earlier;
    if (!added && !samePlace(entry->second, place))
        earlier = entry->second;
    entry->second = place;
    return earlier;
}

class Checker {
public:
    explicit Checker(MapDiagnostics& report) : report(report) {}

    void file(const mapdata::File& file) {
        for (const mapdata::Camera& camera : file.cameras)
            checkCamera(camera);
        for (const mapdata::Texture& texture : file.textures)
            checkTexture(texture);
        for (const mapdata::Blueprint& blueprint : file.blueprints)
            checkBlueprint(blueprint);
        for (const mapdata::Object& object : file.objects)
            checkObject(object);
    }

    // A texture key is looked up when drawing, so it may be defined by any
    // file of the map: the references are judged once every file is read.
    void textureReferences(const MapData& data) {
        auto judge = [&](const std::string& key, const MapPlace& place) {
            if (!textureKeys.count(key))
                report.warning(place,
                               "texture-sleutel " + quoted(key) + " is nergens gedefinieerd" +
                                   keySuggestion(QString::fromStdString(key), textureKeys) +
                                   ", wordt zonder texture getekend",
                               "texture-sleutel");
        };
        for (const mapdata::File& file : data.files)
            for (const mapdata::Blueprint& blueprint : file.blueprints)
                blueprint.forEachTextureKey(judge);
    }

private:
    void checkCamera(const mapdata::Camera& camera) {
        const double* eye = camera.pos;
        const double* centre = camera.view;
        // A step on foot goes a fifth of the way from pos to view, along the ground.
        const double reach = std::hypot(centre[0] - eye[0], centre[2] - eye[2]);
        if (eye[0] == centre[0] && eye[1] == centre[1] && eye[2] == centre[2])
            report.warning(camera.place, "de camera kijkt naar haar eigen oog (pos gelijk aan "
                                         "view), het beeld blijft zwart");
        else if (reach == 0)
            report.warning(camera.place,
                           "de camera kijkt recht omhoog of omlaag (view recht boven of onder "
                           "pos), het beeld blijft zwart en de wandelaar komt niet vooruit");
        else if (reach > kMaxViewReach)
            report.warning(camera.place,
                           QString("view ligt %1 eenheden van pos; een stap te voet is een "
                                   "vijfde daarvan (%2 eenheden per beeld) en springt over "
                                   "muren heen")
                               .arg(reach, 0, 'g', 3)
                               .arg(reach / 5, 0, 'g', 3));
    }

    void checkTexture(const mapdata::Texture& texture) {
        if (texturesLoaded >= WorldRules::kMaxTextures) {
            report.warning(texture.place,
                           QString("texture %1 wordt geweigerd: er zijn al %2 textures geladen")
                               .arg(quoted(texture.key))
                               .arg(WorldRules::kMaxTextures),
                           "texture-limiet");
            return;
        }
        ++texturesLoaded;
        if (const auto earlier = define(textureKeys, texture.key, texture.place))
            report.warning(texture.place,
                           "texture-sleutel " + quoted(texture.key) + " is al gedefinieerd in " +
                               placeText(*earlier) + "; deze laatste geldt",
                           "dubbele sleutel");
    }

    void checkBlueprint(const mapdata::Blueprint& blueprint) {
        const QString& type = blueprint.type;
        if (!blueprint.kind()) {
            report.warning(blueprint.place,
                           "blueprint " + quoted(blueprint.key) + ": type " + quoted(type) +
                               " is niet gekend" + suggestion(type, MapFormat::kindNames()) +
                               ", wordt overgeslagen",
                           "blueprint-type");
            return;
        }
        if (const mapdata::RoadParams* road = blueprint.as<mapdata::RoadParams>()) {
            const QString kind = MapFormat::kindName(BlueprintKind::Road);
            if (!road->shape) {
                report.warning(blueprint.place,
                               "blueprint " + quoted(blueprint.key) + ": " + kind + " subtype " +
                                   quoted(road->subtype) + " is niet gekend" +
                                   suggestion(road->subtype, MapFormat::roadShapeNames()) +
                                   ", wordt overgeslagen",
                               "blueprint-type");
                return;
            }
            if (MapFormat::roadDirection(*road->shape, road->direction) < 0)
                report.warning(road->paramsPlace,
                               kind + " direction " + quoted(road->direction) +
                                   " is niet gekend voor " + road->subtype + " (" +
                                   MapFormat::roadDirectionNames(*road->shape) + "), wordt 0",
                               "road direction");
        }
        if (const auto earlier = define(blueprintKeys, blueprint.key, blueprint.place))
            report.warning(blueprint.place,
                           "blueprint-sleutel " + quoted(blueprint.key) +
                               " is al gedefinieerd in " + placeText(*earlier) +
                               "; deze laatste geldt",
                           "dubbele sleutel");
    }

    void checkObject(const mapdata::Object& object) {
        if (!blueprintKeys.count(object.blueprintKey)) {
            // Many objects may name the same missing blueprint: its
            // suggestion is looked for once.
            auto hint = blueprintSuggestions.find(object.blueprintKey);
            if (hint == blueprintSuggestions.end())
                hint = blueprintSuggestions
                           .emplace(object.blueprintKey,
                                    keySuggestion(QString::fromStdString(object.blueprintKey),
                                                  blueprintKeys))
                           .first;
            report.warning(object.place,
                           "object " + quoted(object.key) + ": blueprint " +
                               quoted(object.blueprintKey) + " is (nog) niet gedefinieerd" +
                               hint->second + ", het object wordt overgeslagen",
                           "onbekende blueprint");
            return;
        }
        if (const auto earlier =
                define(objectKeys, std::make_pair(object.blueprintKey, object.key), object.place))
            report.warning(object.place,
                           "object " + quoted(object.key) + " van blueprint " +
                               quoted(object.blueprintKey) + " staat al in " + placeText(*earlier) +
                               "; dit laatste geldt",
                           "dubbele sleutel");
    }

    // " (bedoelt u x?)" for the defined key nearest to key, or nothing.
    QString keySuggestion(const QString& key, const std::map<std::string, MapPlace>& keys) {
        if (keys.size() > kMaxKeysToSuggestFrom || suggestionBudget <= 0 ||
            key.size() > MapFormat::kMaxSuggestedLength)
            return QString();
        std::vector<QString> known;
        for (const auto& entry : keys)
            if (entry.first.size() <= kMaxSuggestedBytes)
                known.push_back(QString::fromStdString(entry.first));
        const QString nearest = MapFormat::nearestName(key, known, &suggestionBudget);
        return nearest.isEmpty() ? QString() : " (bedoelt u " + nearest + "?)";
    }

    MapDiagnostics& report;
    int texturesLoaded = 0;
    std::map<std::string, MapPlace> textureKeys;
    std::map<std::string, MapPlace> blueprintKeys;
    std::map<std::pair<std::string, std::string>, MapPlace> objectKeys; // (blueprint, object)
    std::map<std::string, QString> blueprintSuggestions;
    qint64 suggestionBudget = kSuggestionBudget;
};

} // namespace

namespace MapCheck {

void check(const MapData& data, MapDiagnostics& report) {
    Checker checker(report);
    for (const mapdata::File& file : data.files)
        checker.file(file);
    checker.textureReferences(data);
    MapRules::check(data, report);
}

} // namespace MapCheck
