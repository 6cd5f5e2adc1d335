// MapLoader: one map file into the world: includes, camera, textures,
// lights, blueprints (the section loop, quads and 3DS models), objects; and
// the checks of each section against the map format. Girder and road
// blueprints are read in maploader_girder.cpp and maploader_road.cpp.
#include "mapfile/maploader.h"

#include "mapfile/mapformat.h"
#include "mapfile/xmlhandler.h"
#include "model3ds/model3ds.h"
#include "model3ds/reader3ds.h"
#include "scene/light.h"
#include "scene/quad.h"
#include "textures/imagecheck.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <QDir>
#include <QDomNodeList>
#include <QFileInfo>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr const char* kIncludeDirectory = "maps/";
// Suggesting a near key means comparing with every key; beyond this many, none is suggested.
constexpr std::size_t kMaxKeysToSuggestFrom = 1000;
// Beyond this distance along the ground from the camera's pos to its view
// point (world units), a step on foot (a fifth of it) is over 10 units a frame.
constexpr double kMaxViewReach = 50.0;
constexpr int kMaxQuotedLength = 80; // characters of a key or value shown in a message
// A key of more UTF-8 bytes than this is too long to be suggested.
constexpr std::size_t kMaxSuggestedBytes = 4 * MapFormat::kMaxSuggestedLength;
// Character pairs compared for all key suggestions of one load together:
// some tenths of a second.
constexpr qint64 kSuggestionBudget = 100000000;

float floatAttribute(const QDomElement& element, const char* name) {
    return MapFormat::numberValue(element.attribute(name, ""));
}

std::string stringAttribute(const QDomElement& element, const char* name) {
    return element.attribute(name, "").toStdString();
}

// The first descendant element of this name, or a null element.
QDomElement firstDescendant(const QDomElement& element, const char* name) {
    return element.elementsByTagName(name).item(0).toElement();
}

// Calls visit(element) for every element below root, in document order,
// without recursion.
template <typename Visit> void forEachBelow(const QDomElement& root, Visit visit) {
    QDomNode node = root.firstChild();
    while (!node.isNull()) {
        if (node.isElement())
            visit(node.toElement());
        if (node.hasChildNodes()) {
            node = node.firstChild();
            continue;
        }
        while (node.nextSibling().isNull()) {
            node = node.parentNode();
            if (node.isNull() || node == root)
                return;
        }
        node = node.nextSibling();
    }
}

// A file on the include chain is compared by its absolute path, so that
// "maps/a.xml" and "maps/./a.xml" are the same file.
QString chainName(const QString& fileName) {
    QFileInfo info(fileName);
    return info.exists() ? info.absoluteFilePath() : fileName;
}

// A key or value in a message, in double quotes; one longer than
// kMaxQuotedLength is cut short and its length given, so that a
// 100,000-character key does not make every line that names it as long.
QString quoted(const QString& text) {
    if (text.size() <= kMaxQuotedLength)
        return '"' + text + '"';
    return '"' + text.left(kMaxQuotedLength) + "\"... (" + QString::number(text.size()) +
           " tekens)";
}
QString quoted(const std::string& text) {
    return quoted(QString::fromStdString(text));
}

QString placeText(const MapPlace& place) {
    return place.file + ':' + QString::number(place.line) + ':' + QString::number(place.column);
}

bool samePlace(const MapPlace& a, const MapPlace& b) {
    return a.file == b.file && a.line == b.line && a.column == b.column;
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

// " (bedoelt u x?)" for the defined key nearest to key, or nothing.
template <typename Keys> QString suggestion(const QString& key, const Keys& keys, qint64& budget) {
    if (keys.size() > kMaxKeysToSuggestFrom || budget <= 0 ||
        key.size() > MapFormat::kMaxSuggestedLength)
        return QString();
    std::vector<QString> known;
    for (const auto& entry : keys)
        if (entry.first.size() <= kMaxSuggestedBytes)
            known.push_back(QString::fromStdString(entry.first));
    const QString nearest = MapFormat::nearestName(key, known, &budget);
    return nearest.isEmpty() ? QString() : " (bedoelt u " + nearest + "?)";
}

QString suggestion(const QString& name, const std::vector<QString>& known) {
    const QString nearest = MapFormat::nearestName(name, known);
    return nearest.isEmpty() ? QString() : " (bedoelt u " + nearest + "?)";
}

std::vector<QString> namesOf(const std::vector<ElementFormat>& elements) {
    std::vector<QString> names;
    for (const ElementFormat& element : elements)
        names.push_back(QLatin1String(element.name));
    return names;
}

const std::vector<QString> kBlueprintTypes = {"smax", "girder", "quad", "road"};
const std::vector<QString> kRoadSubtypes = {"flat", "flatTurn", "turn", "turnLarge"};

} // namespace

struct MapLoader::Session {
    MapDiagnostics diagnostics;
    int filesRead = 0;
    int texturesLoaded = 0; // counted against the texture factory's limit
    std::map<std::string, MapPlace> textureKeys;
    std::map<std::string, MapPlace> blueprintKeys;
    std::map<std::pair<std::string, std::string>, MapPlace> objectKeys; // (blueprint, object)
    std::vector<std::pair<QString, MapPlace>> textureReferences;
    // The suggestion for each unknown blueprint key, found once: many
    // objects may name the same missing blueprint.
    std::map<std::string, QString> blueprintSuggestions;
    qint64 suggestionBudget = kSuggestionBudget;
};

MapLoader::MapLoader(Map* map) : map(map), session(std::make_shared<Session>()) {}

MapLoader::~MapLoader() {
    delete handler;
}

QString MapLoader::mapPath(const char* prefix, const QString& name) {
    return QString::fromLatin1(prefix) + name;
}

const MapDiagnostics& MapLoader::diagnostics() const {
    return session->diagnostics;
}

MapPlace MapLoader::placeOf(const QDomNode& node) const {
    MapPlace place{fileName, node.lineNumber(), node.columnNumber()};
    place.line = std::max(place.line, 1);
    place.column = std::max(place.column, 1);
    return place;
}

void MapLoader::warn(const QDomNode& node, const QString& text) {
    session->diagnostics.warning(placeOf(node), text);
}

void MapLoader::fail(const QDomNode& node, const QString& text) {
    session->diagnostics.error(placeOf(node), text);
}

bool MapLoader::load(const QString& name) {
    fileName = name;
    ++session->filesRead;
    handler = new XmlHandler;
    if (!handler->load(fileName, "map")) {
        if (handler->openFailed() && !includedAt.file.isEmpty())
            session->diagnostics.error(includedAt, "include " + fileName +
                                                       " kan niet gelezen worden: " +
                                                       handler->problem() + ", wordt overgeslagen");
        else if (handler->openFailed())
            session->diagnostics.error({fileName, 1, 1},
                                       "map kan niet gelezen worden: " + handler->problem());
        else
            session->diagnostics.error({fileName, handler->problemLine(), handler->problemColumn()},
                                       handler->problem() + "; het bestand wordt overgeslagen");
        return false;
    }
    chain.append(chainName(fileName));
    checkRoot();
    loadIncludes();
    loadCamera();
    loadTextures();
    loadLights();
    loadBlueprints();
    loadObjects();
    if (includedAt.file.isEmpty())
        checkTextureReferences();
    return true;
}

void MapLoader::checkRoot() {
    const QDomElement root = handler->root();
    if (root.tagName() != "map")
        warn(root,
             "het hoofdelement heet <" + root.tagName() + ">, niet <map>; het wordt toch gelezen");
    std::vector<QString> known;
    for (const SectionFormat& format : MapFormat::sections())
        known.push_back(QLatin1String(format.name));
    bool blueprintsSeen = false;
    for (QDomElement child = root.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QString tag = child.tagName();
        if (!MapFormat::findSection(tag))
            warn(child,
                 "onbekende sectie <" + tag + ">" + suggestion(tag, known) + ", wordt genegeerd");
        else if (tag == "blueprints")
            blueprintsSeen = true;
        else if (tag == "textures" && blueprintsSeen)
            warn(child, "sectie <textures> staat na <blueprints>; zet ze ervoor (deze versie leest "
                        "ze toch, oudere lezen de textures van de eerste blueprint)");
    }
}

QDomElement MapLoader::section(const char* name, const char* item,
                               std::vector<QDomElement>* items) {
    const QDomElement element = handler->sectionElement(name);
    if (element.isNull())
        return element;
    // NOTE: the first element of the name anywhere is the section when the
    // root has none of its own; a blueprint's own <textures> is then read
    // as the file's textures.
    if (element.parentNode() != handler->root())
        warn(element, QString("<%1> staat niet in het hoofdelement maar wordt als sectie %1 "
                              "gelezen; zet de sectie direct in <map>")
                          .arg(QLatin1String(name)));
    checkSection(element, *MapFormat::findSection(name), item, items);
    return element;
}

// Checks every element below the section against the map format, and
// collects the items in the same walk.
void MapLoader::checkSection(const QDomElement& sectionElement, const SectionFormat& format,
                             const char* item, std::vector<QDomElement>* items) {
    const QString sectionName = QLatin1String(format.name);
    forEachBelow(sectionElement, [&](const QDomElement& element) {
        const QString tag = element.tagName();
        if (items && tag == QLatin1String(item))
            items->push_back(element);
        const ElementFormat* known = MapFormat::findElement(format, tag);
        if (!known) {
            warn(element, "onbekend element <" + tag + "> in sectie " + sectionName +
                              suggestion(tag, namesOf(format.elements)) +
                              ", het element zelf wordt genegeerd");
            return;
        }
        const QDomNamedNodeMap attributes = element.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QDomAttr attribute = attributes.item(i).toAttr();
            const QString name = attribute.name();
            const AttributeFormat* attributeFormat = MapFormat::findAttribute(*known, name);
            if (!attributeFormat) {
                std::vector<QString> names;
                for (const AttributeFormat& a : known->attributes)
                    names.push_back(QLatin1String(a.name));
                warn(element, "onbekend attribuut " + name + " van <" + tag + ">" +
                                  suggestion(name, names) + ", wordt genegeerd");
                continue;
            }
            const QString value = attribute.value();
            const QString problem = MapFormat::valueProblem(attributeFormat->kind, value);
            if (!problem.isEmpty())
                warn(element, "<" + tag + "> " + name + "=" + quoted(value) + " " + problem);
            if (attributeFormat->kind == ValueKind::TextureKey)
                session->textureReferences.push_back({value, placeOf(element)});
        }
    });
}

// A texture key is looked up when drawing, so it may be defined by any file
// of the map: the references are judged once every file is read.
void MapLoader::checkTextureReferences() {
    for (const auto& [key, place] : session->textureReferences)
        if (!session->textureKeys.count(key.toStdString()))
            session->diagnostics.warning(
                place, "texture-sleutel " + quoted(key) + " is nergens gedefinieerd" +
                           suggestion(key, session->textureKeys, session->suggestionBudget) +
                           ", wordt zonder texture getekend");
}

void MapLoader::checkModelFile(const std::string& given, const MapPlace& place,
                               const Model_3DS* loaded) {
    MapDiagnostics& report = session->diagnostics;
    // The path the model is read from, as the load reads it.
    const std::string file = Model_3DS::filePath(given);
    const QString path = QString::fromStdString(file);
    if (path.isEmpty()) {
        report.warning(place, "blueprint van type smax zonder file, het model blijft leeg");
        return;
    }
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || !info.isFile()) {
        report.error(place, "3DS-bestand " + path +
                                (!info.exists() ? " bestaat niet"
                                 : info.isDir() ? " is een map, geen bestand"
                                                : " is geen gewoon bestand") +
                                ", het model blijft leeg");
        return;
    }
    Reader3DS reader; // when only checking
    std::vector<const Material3DS*> materials;
    if (loaded) {
        for (const Model_3DS::Material& material : loaded->materials)
            materials.push_back(&material.record);
    } else {
        reader.readFile(file.c_str());
        for (const Material3DS& material : reader.materials)
            materials.push_back(&material);
    }
    const Model_3DS::ReadReport read = loaded ? loaded->readReport : Model_3DS::reportOf(reader);
    if (read.tooLarge) {
        report.error(place,
                     QString("3DS-bestand %1 is %2 bytes, meer dan %3, het model blijft leeg")
                         .arg(path)
                         .arg(qulonglong(read.fileBytes))
                         .arg(qulonglong(Reader3DS::kMaxFileBytes)));
        return;
    }
    if (!read.opened) {
        report.error(place,
                     "3DS-bestand " + path + " kan niet gelezen worden, het model blijft leeg");
        return;
    }
    if (!read.firstProblem.empty())
        report.warning(place, "3DS-bestand " + path +
                                  " is beschadigd: " + QString::fromStdString(read.firstProblem) +
                                  "; enkel de leesbare delen worden getoond (alle problemen: "
                                  "build/kolvar-3ds " +
                                  path + ")");
    Model_3DS::Listings listings;
    for (const Material3DS* entry : materials) {
        const Material3DS& material = *entry;
        if (material.textureMap.empty())
            continue;
        const QString mapName = QString::fromStdString(material.textureMap);
        const QString image = QString::fromStdString(
            Model_3DS::texturePath(path.toStdString(), material.textureMap, listings));
        const QString problem = Model_3DS::leavesModelDirectory(material.textureMap)
                                    ? QString("ligt buiten de map van het model")
                                : image.isEmpty() ? QString("bestaat niet")
                                                  : imageFileProblem(image);
        if (!problem.isEmpty())
            report.warning(place, "texture map " + mapName + " van materiaal " +
                                      quoted(material.name) + " in " + path + ": " + problem +
                                      ", de kleur van het materiaal wordt gebruikt");
    }
}

void MapLoader::loadIncludes() {
    std::vector<QDomElement> includes;
    section("includes", "include", &includes);
    for (std::size_t i = 0; i < includes.size(); ++i) {
        const QDomElement& element = includes[i];
        const QString path = mapPath(kIncludeDirectory, element.attribute("file", ""));
        // A file already being read further up the chain would recurse without end.
        if (chain.contains(chainName(path))) {
            warn(element,
                 "include " + path + " leidt in een lus terug naar zichzelf, wordt overgeslagen");
            continue;
        }
        if (chain.size() >= kMaxIncludeDepth) {
            fail(element, QString("include %1 wordt overgeslagen: meer dan %2 includes diep")
                              .arg(path)
                              .arg(kMaxIncludeDepth));
            continue;
        }
        // NOTE: each include may read at most a fair share of the files this
        // one may still read, so includes that multiply (each file including
        // the next twice) exhaust their own share, not the rest of the map's.
        const int left = fileBudgetEnd - session->filesRead;
        if (left <= 0) {
            fail(element, QString("include %1 wordt overgeslagen: te veel bestanden gelezen "
                                  "(hoogstens %2 voor een map, eerlijk verdeeld over de includes)")
                              .arg(path)
                              .arg(kMaxFilesPerLoad));
            continue;
        }
        MapLoader included(map);
        included.fileBudgetEnd = session->filesRead + std::max(1, left / int(includes.size() - i));
        included.chain = chain;
        included.session = session;
        included.includedAt = placeOf(element);
        included.load(path);
    }
}

void MapLoader::loadCamera() {
    const QDomElement camera = section("camera");
    if (camera.isNull())
        return;
    const QDomElement start = firstDescendant(camera, "startingPos");
    const double eye[3] = {floatAttribute(start, "posx"), floatAttribute(start, "posy"),
                           floatAttribute(start, "posz")};
    const double centre[3] = {floatAttribute(start, "viewx"), floatAttribute(start, "viewy"),
                              floatAttribute(start, "viewz")};
    // A step on foot goes a fifth of the way from pos to view, along the ground.
    const double reach = std::hypot(centre[0] - eye[0], centre[2] - eye[2]);
    const QDomElement& at = start.isNull() ? camera : start;
    if (eye[0] == centre[0] && eye[1] == centre[1] && eye[2] == centre[2])
        warn(at,
             "de camera kijkt naar haar eigen oog (pos gelijk aan view), het beeld blijft zwart");
    else if (reach == 0)
        warn(at, "de camera kijkt recht omhoog of omlaag (view recht boven of onder pos), het "
                 "beeld blijft zwart en de wandelaar komt niet vooruit");
    else if (reach > kMaxViewReach)
        warn(at, QString("view ligt %1 eenheden van pos; een stap te voet is een vijfde daarvan "
                         "(%2 eenheden per beeld) en springt over muren heen")
                     .arg(reach, 0, 'g', 3)
                     .arg(reach / 5, 0, 'g', 3));
    if (map)
        map->setCamera(
            new Camera(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0));
}

void MapLoader::loadTextures() {
    std::vector<QDomElement> textures;
    section("textures", "texture", &textures);
    for (const QDomElement& texture : textures) {
        const std::string key = stringAttribute(texture, "key");
        const std::string file = stringAttribute(texture, "file");
        const bool refused = session->texturesLoaded >= TextureFactory::kMaxTextures;
        // With a world the factory checks the image as it loads it.
        const QString problem = map       ? map->textures.loadTexture(key, file).problem
                                : refused ? QString()
                                          : imageFileProblem(QString::fromStdString(file));
        if (refused) {
            warn(texture, QString("texture %1 wordt geweigerd: er zijn al %2 textures geladen")
                              .arg(quoted(key))
                              .arg(TextureFactory::kMaxTextures));
            continue;
        }
        ++session->texturesLoaded;
        if (const auto earlier = define(session->textureKeys, key, placeOf(texture)))
            warn(texture, "texture-sleutel " + quoted(key) + " is al gedefinieerd in " +
                              placeText(*earlier) + "; deze laatste geldt");
        if (!problem.isEmpty())
            fail(texture, "texture " + quoted(key) + ": " + problem + ", de texture blijft leeg");
    }
}

void MapLoader::loadLights() {
    std::vector<QDomElement> lights;
    section("lights", "light", &lights);
    if (!map)
        return; // the section check has judged every value
    for (const QDomElement& element : lights) {
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
    std::vector<QDomElement> blueprints;
    section("blueprints", "blueprint", &blueprints);
    for (const QDomElement& element : blueprints) {
        const QString type = element.attribute("type", "");
        const std::string key = stringAttribute(element, "key");
        if (!std::count(kBlueprintTypes.begin(), kBlueprintTypes.end(), type)) {
            warn(element, "blueprint " + quoted(key) + ": type " + quoted(type) +
                              " is niet gekend" + suggestion(type, kBlueprintTypes) +
                              ", wordt overgeslagen");
            continue;
        }
        const QString subtype = element.attribute("subtype", "");
        if (type == "road" && !std::count(kRoadSubtypes.begin(), kRoadSubtypes.end(), subtype)) {
            warn(element, "blueprint " + quoted(key) + ": road subtype " + quoted(subtype) +
                              " is niet gekend" + suggestion(subtype, kRoadSubtypes) +
                              ", wordt overgeslagen");
            continue;
        }
        TObject* blueprint = nullptr;
        if (type == "smax")
            blueprint = loadSmax(element);
        else if (type == "road")
            blueprint = loadRoad(element); // judges the direction also when only checking
        else if (map && type == "girder")
            blueprint = loadGirder(element);
        else if (map && type == "quad")
            blueprint = loadQuad(element);

        if (const auto earlier = define(session->blueprintKeys, key, placeOf(element)))
            warn(element, "blueprint-sleutel " + quoted(key) + " is al gedefinieerd in " +
                              placeText(*earlier) + "; deze laatste geldt");
        if (!blueprint)
            continue; // only checking

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
    const std::string file = stringAttribute(blueprint, "file");
    Model_3DS* model = nullptr;
    if (map) {
        model = new Model_3DS;
        model->load(file.c_str(), map->textures.models);
    }
    checkModelFile(file, placeOf(blueprint), model);
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
    std::vector<QDomElement> objects;
    section("objects", "object", &objects);
    for (const QDomElement& element : objects) {
        const std::string key = stringAttribute(element, "key");
        const std::string blueprintKey = stringAttribute(element, "blueprintKey");
        if (!session->blueprintKeys.count(blueprintKey)) {
            auto hint = session->blueprintSuggestions.find(blueprintKey);
            if (hint == session->blueprintSuggestions.end())
                hint = session->blueprintSuggestions
                           .emplace(blueprintKey,
                                    suggestion(QString::fromStdString(blueprintKey),
                                               session->blueprintKeys, session->suggestionBudget))
                           .first;
            warn(element, "object " + quoted(key) + ": blueprint " + quoted(blueprintKey) +
                              " is (nog) niet gedefinieerd" + hint->second +
                              ", het object wordt overgeslagen");
        } else {
            if (const auto earlier = define(session->objectKeys, std::make_pair(blueprintKey, key),
                                            placeOf(element)))
                warn(element, "object " + quoted(key) + " van blueprint " + quoted(blueprintKey) +
                                  " staat al in " + placeText(*earlier) + "; dit laatste geldt");
        }
        if (!map)
            continue;

        // The first "pos", "rot" and "scale" below the object, in one walk.
        QDomElement pos, rot, scale;
        forEachBelow(element, [&](const QDomElement& child) {
            const QString tag = child.tagName();
            if (tag == QLatin1String("pos") && pos.isNull())
                pos = child;
            else if (tag == QLatin1String("rot") && rot.isNull())
                rot = child;
            else if (tag == QLatin1String("scale") && scale.isNull())
                scale = child;
        });
        TObject* object = new TObject;
        if (!pos.isNull())
            object->position = FPoint(floatAttribute(pos, "x"), floatAttribute(pos, "y"),
                                      floatAttribute(pos, "z"));
        if (!rot.isNull()) {
            if (rot.hasAttribute("value"))
                object->rotation.y = floatAttribute(rot, "value");
            else
                object->rotation = FPoint(floatAttribute(rot, "x"), floatAttribute(rot, "y"),
                                          floatAttribute(rot, "z"));
        }
        if (!scale.isNull()) {
            if (scale.hasAttribute("value")) {
                float factor = floatAttribute(scale, "value");
                object->scale = FPoint(factor, factor, factor);
            } else {
                object->scale = FPoint(floatAttribute(scale, "x"), floatAttribute(scale, "y"),
                                       floatAttribute(scale, "z"));
            }
        }

        if (map->hasBlueprint(blueprintKey))
            map->addObject(blueprintKey, key, object);
        else
            delete object; // reported above
        if (element.hasAttribute("mobile"))
            map->addMobileKey(key);
    }
}
