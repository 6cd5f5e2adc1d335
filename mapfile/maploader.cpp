// MapLoader: one streaming pass per map file into plain map data, the format
// checks made on the way, and the includes.
//
// Each item element (an <object>, a <blueprint>, ...) is gathered with its
// descendants into a small tree while the stream passes it, read into its
// struct when it closes, and dropped: memory stays in proportion to the data
// kept, not to the XML.
#include "mapfile/maploader.h"

#include "mapfile/mapedit.h"
#include "mapfile/mapformat.h"
#include "mapfile/xmlhandler.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>

namespace {

constexpr int kSectionCount = 6; // includes, camera, textures, lights, blueprints, objects
enum SectionId { Includes, CameraSection, Textures, Lights, Blueprints, Objects };
// The item element of each section, in MapFormat::sections() order.
const char* const kItemNames[kSectionCount] = {"include", "startingPos", "texture",
                                               "light",   "blueprint",   "object"};

// A file on the include chain is compared by its absolute path, so that
// "maps/a.xml" and "maps/./a.xml" are the same file.
QString chainName(const QString& fileName) {
    QFileInfo info(fileName);
    return info.exists() ? info.absoluteFilePath() : fileName;
}

QString suggestion(const QString& name, const std::vector<QString>& known) {
    const QString nearest = MapFormat::nearestName(name, known);
    return nearest.isEmpty() ? QString() : " (bedoelt u " + nearest + "?)";
}

// The format's names as QStrings, made once: the stream's names are
// compared with them for every element and attribute of a map.
struct Names {
    std::vector<QString> sections;
    std::vector<std::vector<QString>> elements;                // per section
    std::vector<std::vector<std::vector<QString>>> attributes; // per section and element
    Names() {
        for (const SectionFormat& section : MapFormat::sections()) {
            sections.push_back(QLatin1String(section.name));
            elements.emplace_back();
            attributes.emplace_back();
            for (const ElementFormat& element : section.elements) {
                elements.back().push_back(QLatin1String(element.name));
                attributes.back().emplace_back();
                for (const AttributeFormat& attribute : element.attributes)
                    attributes.back().back().push_back(QLatin1String(attribute.name));
            }
        }
    }
};

const Names& names() {
    static const Names table;
    return table;
}

template <typename Name> int indexIn(const std::vector<QString>& known, const Name& name) {
    for (std::size_t i = 0; i < known.size(); ++i)
        if (name.size() == known[i].size() && name == known[i])
            return int(i);
    return -1;
}

template <typename Name> int sectionIndex(const Name& name) {
    return indexIn(names().sections, name);
}

// Whether name is the item element of some section.
template <typename Name> bool isItemName(const Name& name) {
    for (const char* item : kItemNames)
        if (name == QLatin1String(item))
            return true;
    return false;
}

// What to add to "unknown element" for name, standing in section standsIn
// (-1: at the root): where it belongs when it is the item element of another
// section (an <object> written outside <objects>, the usual slip), else the
// nearest of known, if any.
QString hint(const QString& name, int standsIn, const std::vector<QString>& known) {
    for (int s = 0; s < kSectionCount; ++s)
        if (s != standsIn && name == QLatin1String(kItemNames[s]))
            return " (hoort in <" + names().sections[std::size_t(s)] + ">)";
    return suggestion(name, known);
}

// A number of one of these kinds is read as a float once, when it is checked.
bool numeric(ValueKind kind) {
    switch (kind) {
    case ValueKind::Number:
    case ValueKind::Size:
    case ValueKind::Fraction:
    case ValueKind::NonNegative:
    case ValueKind::SpotCutoff:
    case ValueKind::SpotExponent:
        return true;
    default:
        return false;
    }
}

} // namespace

struct MapLoader::Session {
    MapDiagnostics diagnostics;
    MapData data;
    int filesRead = 0;
};

// One item element and its descendants, in document order.
struct ItemTree {
    struct Node {
        int element = -1; // index in the section's elements; -1 for an unknown element
        int end = 0;      // one past its last descendant
        int firstAttribute = 0;
        int attributeCount = 0;
        MapPlace place;
    };
    struct Attribute {
        int index;     // in its element's format
        float number;  // a numeric kind's value, as numberValue reads it
        QString value; // the text, for the other kinds
    };
    std::vector<Node> nodes;
    std::vector<Attribute> attributes;
    const SectionFormat* section = nullptr;
    int sectionId = 0;

    void clear() {
        nodes.clear();
        attributes.clear();
    }
    // The first element of this kind below node, or -1.
    int firstBelow(int node, int element) const {
        if (node < 0 || element < 0)
            return -1;
        for (int i = node + 1; i < nodes[node].end; ++i)
            if (nodes[i].element == element)
                return i;
        return -1;
    }
    std::vector<int> allBelow(int node, int element) const {
        std::vector<int> found;
        if (node < 0 || element < 0)
            return found;
        for (int i = node + 1; i < nodes[node].end; ++i)
            if (nodes[i].element == element)
                found.push_back(i);
        return found;
    }
    const Attribute* attribute(int node, const char* name) const {
        if (node < 0 || nodes[std::size_t(node)].element < 0)
            return nullptr;
        const Node& n = nodes[std::size_t(node)];
        const std::vector<QString>& known =
            names().attributes[std::size_t(sectionId)][std::size_t(n.element)];
        const int index = indexIn(known, QLatin1String(name));
        for (int i = n.firstAttribute; i < n.firstAttribute + n.attributeCount; ++i)
            if (attributes[std::size_t(i)].index == index)
                return &attributes[std::size_t(i)];
        return nullptr;
    }
    // The attribute's text (not for numbers), or null when the element has none of that name.
    const QString* find(int node, const char* name) const {
        const Attribute* found = attribute(node, name);
        return found ? &found->value : nullptr;
    }
    bool has(int node, const char* name) const { return attribute(node, name) != nullptr; }
    QString text(int node, const char* name) const {
        const QString* value = find(node, name);
        return value ? *value : QString();
    }
    std::string string(int node, const char* name) const { return text(node, name).toStdString(); }
    float number(int node, const char* name) const {
        const Attribute* found = attribute(node, name);
        return found ? found->number : 0.0f;
    }
    mapdata::Point point(int node) const {
        return {number(node, "x"), number(node, "y"), number(node, "z")};
    }
    void colour(int node, mapdata::Colour& colour) const {
        if (node < 0)
            return;
        colour.present = true;
        colour.rgba[0] = number(node, "r");
        colour.rgba[1] = number(node, "g");
        colour.rgba[2] = number(node, "b");
        colour.rgba[3] = number(node, "a");
    }
    int element(const char* name) const {
        return indexIn(names().elements[std::size_t(sectionId)], QLatin1String(name));
    }
};

// One streaming pass over a file's bytes: the root and its sections, the
// format checks, and the items into the file's data. A forced pass reads
// only the element that starts at forcedOffset, as the section forcedSection.
class MapLoader::Pass {
public:
    Pass(MapLoader& loader, XmlHandler& handler, mapdata::File& file)
        : loader(loader), handler(handler), file(file), report(loader.session->diagnostics) {}

    // False when the text is not well-formed or passes a limit.
    bool run(int forcedSection = -1, qint64 forcedOffset = -1);

    // Sections that had no element of their own in the root, but an element
    // of their name deeper down: the first such, by offset and place.
    struct Candidate {
        qint64 offset = -1;
        MapPlace place;
    };
    Candidate candidates[kSectionCount];
    bool rootSection[kSectionCount] = {};

private:
    void startSection(int id, int depth, const MapPlace& place);
    void startElement(const QXmlStreamReader& xml, const MapPlace& place, int depth, qint64 offset);
    void endElement(int depth);
    void readItem(int root);
    void readInclude(int node);
    void readCamera(int node);
    void readTexture(int node);
    void readLight(int node);
    void readBlueprint(int node);
    mapdata::GirderParams readGirder(int node, int params, int texturesElement);
    void readObject(int node);
    void warn(const MapPlace& place, const QString& text, const char* kind = nullptr) {
        report.warning(place, text, kind);
    }

    MapLoader& loader;
    XmlHandler& handler;
    mapdata::File& file;
    MapDiagnostics& report;
    int section = -1; // being read, or -1
    int sectionDepth = 0;
    MapPlace sectionPlace;
    bool cameraRead = false;
    int skipBelow = 0; // > 0: the elements below this depth are not read
    // > 0: the depth of the item element (an <object>, a <blueprint>, ...)
    // being passed; nothing inside it is ever a section, so a blueprint's own
    // <textures> is not taken for the textures section.
    int itemElementDepth = 0;
    // Whether a section element at depth may stand for the section of its name.
    bool mayBeSection(int depth) const {
        return itemElementDepth == 0 || depth <= itemElementDepth;
    }
    ItemTree tree;
    mapedit::LineCursor lines; // the line of the last object found in the bytes
    std::vector<int> open; // tree nodes not yet closed
    int itemDepth = 0;     // depth of the tree's root element
};

bool MapLoader::Pass::run(int forcedSection, qint64 forcedOffset) {
    QXmlStreamReader xml(handler.bytes());
    xml.setNamespaceProcessing(false);
    int depth = 0;
    qint64 elements = 0, nodes = 0;
    const bool counting = handler.countWhileStreaming();
    bool blueprintsSeen = false;
    while (!xml.atEnd()) {
        // Where the token starts: where the one before it ended.
        const qint64 offset = xml.characterOffset();
        const MapPlace place{file.path, std::max(1, int(xml.lineNumber())),
                             int(xml.columnNumber()) + 1};
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (section >= 0 && depth >= sectionDepth)
                endElement(depth);
            if (itemElementDepth == depth)
                itemElementDepth = 0;
            if (skipBelow == depth)
                skipBelow = 0;
            --depth;
            if (forcedSection >= 0 && section < 0 && depth < sectionDepth)
                return true; // the forced section has been read
            continue;
        }
        if (token == QXmlStreamReader::DTD && forcedSection < 0) {
            for (const QXmlStreamEntityDeclaration& entity : xml.entityDeclarations())
                if (!entity.systemId().isEmpty() || !entity.publicId().isEmpty())
                    warn(place, "externe entiteit " + entity.name().toString() +
                                    " wordt nooit gelezen; waar ze gebruikt wordt, ontbreekt "
                                    "haar tekst");
            continue;
        }
        if (token == QXmlStreamReader::EntityReference && forcedSection < 0) {
            warn(place,
                 "entiteit &" + xml.name().toString() +
                     "; wordt niet gelezen (externe entiteiten nooit), haar tekst ontbreekt",
                 "entiteit");
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (counting) {
            const char* limit = depth > XmlHandler::kMaxDepth           ? "diep"
                                : ++elements > XmlHandler::kMaxElements ? "elementen"
                                : (nodes += 1 + xml.attributes().size()) > XmlHandler::kMaxNodes
                                    ? "knopen"
                                    : nullptr;
            if (limit) {
                handler.refuse(
                    QString("het bestand gaat over de grenzen (%1 niveaus, %2 elementen, %3 "
                            "elementen en attributen samen)")
                        .arg(XmlHandler::kMaxDepth)
                        .arg(XmlHandler::kMaxElements)
                        .arg(XmlHandler::kMaxNodes),
                    place.line, place.column);
                return false;
            }
        }
        const auto name = xml.name();
        if (itemElementDepth == 0 && isItemName(name))
            itemElementDepth = depth;
        if (forcedSection >= 0) {
            if (section < 0 && offset == forcedOffset)
                startSection(forcedSection, depth, place);
            else if (section >= 0)
                startElement(xml, place, depth, offset);
            continue;
        }
        if (section >= 0) {
            startElement(xml, place, depth, offset);
        } else if (depth == 1) {
            if (name != QLatin1String("map"))
                warn(place, "het hoofdelement heet <" + name.toString() +
                                ">, niet <map>; het wordt toch gelezen");
            continue;
        } else if (depth == 2 && skipBelow == 0) {
            const int id = sectionIndex(name);
            if (id < 0) {
                std::vector<QString> known;
                for (const SectionFormat& format : MapFormat::sections())
                    known.push_back(QLatin1String(format.name));
                warn(place,
                     "onbekende sectie <" + name.toString() + ">" +
                         hint(name.toString(), -1, known) + ", wordt genegeerd",
                     "sectie");
                skipBelow = depth;
                continue;
            }
            if (rootSection[id]) {
                warn(place,
                     "sectie <" + name.toString() +
                         "> staat een tweede keer in het hoofdelement; enkel de eerste "
                         "wordt gelezen, deze wordt genegeerd",
                     "sectie");
                skipBelow = depth;
                continue;
            }
            if (id == Textures && blueprintsSeen)
                warn(place, "sectie <textures> staat na <blueprints>; zet ze ervoor (deze versie "
                            "leest ze toch, oudere lezen de textures van de eerste blueprint)");
            blueprintsSeen = blueprintsSeen || id == Blueprints;
            rootSection[id] = true;
            startSection(id, depth, place);
            continue;
        }
        // Below an unknown root child, or a section element deeper in a section.
        const int id = sectionIndex(name);
        if (id >= 0 && candidates[id].offset < 0 && mayBeSection(depth)) {
            candidates[id].offset = offset;
            candidates[id].place = place;
        }
    }
    return !handler.streamFailed(xml);
}

void MapLoader::Pass::startSection(int id, int depth, const MapPlace& place) {
    section = id;
    sectionDepth = depth;
    sectionPlace = place;
    tree.section = &MapFormat::sections()[std::size_t(id)];
    tree.sectionId = id;
}

void MapLoader::Pass::startElement(const QXmlStreamReader& xml, const MapPlace& place, int depth,
                                   qint64 offset) {
    const SectionFormat& format = *tree.section;
    const auto name = xml.name();
    // A section element deeper in another section may have to be read as
    // the section of its name, when the root has none of its own.
    const int id = sectionIndex(name);
    if (id >= 0 && id != section && candidates[id].offset < 0 && mayBeSection(depth)) {
        candidates[id].offset = offset;
        candidates[id].place = place;
    }
    const int element = indexIn(names().elements[std::size_t(section)], name);
    if (element < 0) {
        warn(place,
             "onbekend element <" + name.toString() + "> in sectie " + QLatin1String(format.name) +
                 hint(name.toString(), section, names().elements[std::size_t(section)]) +
                 ", het element zelf wordt genegeerd",
             "element");
    }
    const bool inItem = !tree.nodes.empty();
    const bool item = element >= 0 && element == tree.element(kItemNames[section]);
    const bool keep = inItem || item;
    ItemTree::Node node;
    if (keep) {
        if (!inItem)
            itemDepth = depth;
        node.element = element;
        node.place = place;
        node.firstAttribute = int(tree.attributes.size());
    }
    if (element >= 0) {
        const ElementFormat& known = format.elements[std::size_t(element)];
        const std::vector<QString>& attributeNames =
            names().attributes[std::size_t(section)][std::size_t(element)];
        const QXmlStreamAttributes attributes = xml.attributes();
        for (const QXmlStreamAttribute& attribute : attributes) {
            const auto attributeName = attribute.name();
            const int index = indexIn(attributeNames, attributeName);
            if (index < 0) {
                warn(place,
                     "onbekend attribuut " + attributeName.toString() + " van <" + name.toString() +
                         ">" + suggestion(attributeName.toString(), attributeNames) +
                         ", wordt genegeerd",
                     "attribuut");
                continue;
            }
            const ValueKind kind = known.attributes[std::size_t(index)].kind;
            ItemTree::Attribute read{index, 0.0f, QString()};
            bool fine = false;
            if (numeric(kind)) {
                read.number = MapFormat::numberValue(attribute.value().toString(), &fine);
                fine = fine && kind == ValueKind::Number; // the others have ranges to judge
            } else {
                read.value = attribute.value().toString();
            }
            if (!fine) {
                const QString value = attribute.value().toString();
                const QString problem = MapFormat::valueProblem(kind, value);
                if (!problem.isEmpty())
                    warn(place,
                         "<" + name.toString() + "> " + attributeName.toString() + "=" +
                             quoted(value) + " " + problem,
                         "waarde");
            }
            if (keep)
                tree.attributes.push_back(std::move(read));
        }
    }
    if (keep) {
        node.attributeCount = int(tree.attributes.size()) - node.firstAttribute;
        open.push_back(int(tree.nodes.size()));
        tree.nodes.push_back(std::move(node));
    }
}

void MapLoader::Pass::endElement(int depth) {
    if (depth == sectionDepth) {
        if (section == CameraSection && !cameraRead) {
            // A camera without a start point: at the origin, looking at it.
            mapdata::Camera camera;
            camera.place = sectionPlace;
            file.cameras.push_back(camera);
            cameraRead = true;
        }
        section = -1;
        return;
    }
    if (tree.nodes.empty() || depth < itemDepth)
        return;
    tree.nodes[std::size_t(open.back())].end = int(tree.nodes.size());
    open.pop_back();
    if (!open.empty())
        return;
    // Items nested in the item are items too, each after the one it is in.
    const int item = tree.element(kItemNames[section]);
    for (int i = 0; i < int(tree.nodes.size()); ++i)
        if (tree.nodes[std::size_t(i)].element == item)
            readItem(i);
    tree.clear();
}

void MapLoader::Pass::readItem(int node) {
    switch (section) {
    case Includes:
        readInclude(node);
        break;
    case CameraSection:
        readCamera(node);
        break;
    case Textures:
        readTexture(node);
        break;
    case Lights:
        readLight(node);
        break;
    case Blueprints:
        readBlueprint(node);
        break;
    case Objects:
        readObject(node);
        break;
    default:
        break;
    }
}

void MapLoader::Pass::readInclude(int node) {
    mapdata::Include include;
    include.place = tree.nodes[std::size_t(node)].place;
    include.file = tree.text(node, "file");
    include.path = mapPath(kIncludeDirectory, include.file);
    file.includes.push_back(std::move(include));
}

void MapLoader::Pass::readCamera(int node) {
    if (cameraRead)
        return; // only the first start point counts
    cameraRead = true;
    mapdata::Camera camera;
    camera.place = tree.nodes[std::size_t(node)].place;
    camera.hasStart = true;
    camera.pos[0] = tree.number(node, "posx");
    camera.pos[1] = tree.number(node, "posy");
    camera.pos[2] = tree.number(node, "posz");
    camera.view[0] = tree.number(node, "viewx");
    camera.view[1] = tree.number(node, "viewy");
    camera.view[2] = tree.number(node, "viewz");
    file.cameras.push_back(camera);
}

void MapLoader::Pass::readTexture(int node) {
    mapdata::Texture texture;
    texture.place = tree.nodes[std::size_t(node)].place;
    texture.hasKey = tree.has(node, "key");
    texture.key = tree.string(node, "key");
    texture.file = tree.text(node, "file");
    file.textures.push_back(std::move(texture));
}

void MapLoader::Pass::readLight(int node) {
    mapdata::Light light;
    light.place = tree.nodes[std::size_t(node)].place;
    light.hasNr = tree.has(node, "nr");
    light.nr = tree.text(node, "nr").toInt(nullptr, 10);
    light.position[0] = tree.number(node, "x");
    light.position[1] = tree.number(node, "y");
    light.position[2] = tree.number(node, "z");
    light.position[3] = tree.number(node, "a");
    light.on = tree.text(node, "on") == QLatin1String("true");
    light.flashlight = tree.has(node, "flashlight");
    tree.colour(tree.firstBelow(node, tree.element("ambient")), light.ambient);
    tree.colour(tree.firstBelow(node, tree.element("diffuse")), light.diffuse);
    tree.colour(tree.firstBelow(node, tree.element("specular")), light.specular);
    const int spot = tree.firstBelow(node, tree.element("spot"));
    if (spot >= 0) {
        light.hasSpot = true;
        light.spotCutoff = tree.number(spot, "radius");
        light.spotDirection[0] = tree.number(spot, "x");
        light.spotDirection[1] = tree.number(spot, "y");
        light.spotDirection[2] = tree.number(spot, "z");
        light.spotDirection[3] = tree.number(spot, "a");
        light.hasSpotExponent = tree.has(spot, "exponent");
        light.spotExponent = tree.number(spot, "exponent");
    }
    const int attenuation = tree.firstBelow(node, tree.element("attenuation"));
    if (attenuation >= 0) {
        light.hasAttenuation = true;
        light.attenuation[0] = tree.number(attenuation, "constant");
        light.attenuation[1] = tree.number(attenuation, "linear");
        light.attenuation[2] = tree.number(attenuation, "quadratic");
    }
    file.lights.push_back(std::move(light));
}

void MapLoader::Pass::readBlueprint(int node) {
    mapdata::Blueprint blueprint;
    blueprint.place = tree.nodes[std::size_t(node)].place;
    blueprint.type = tree.text(node, "type");
    blueprint.hasKey = tree.has(node, "key");
    blueprint.key = tree.string(node, "key");
    const int box = tree.firstBelow(node, tree.element("boundingBox"));
    if (box >= 0) {
        blueprint.hasBox = true;
        blueprint.box[0] = tree.number(box, "width");
        blueprint.box[1] = tree.number(box, "height");
        blueprint.box[2] = tree.number(box, "depth");
    }
    const int params = tree.firstBelow(node, tree.element("params"));
    const int texturesElement = tree.firstBelow(node, tree.element("textures"));
    // The first texture, of a quad or a road.
    auto firstTexture = [&] {
        mapdata::TextureUse use;
        const int texture = tree.firstBelow(texturesElement, tree.element("texture"));
        if (texture >= 0) {
            use.present = true;
            use.key = tree.string(texture, "textureKey");
            use.place = tree.nodes[std::size_t(texture)].place;
        }
        return use;
    };
    const std::optional<BlueprintKind> kind = MapFormat::kindOf(blueprint.type);
    if (kind) {
        switch (*kind) {
        case BlueprintKind::Smax:
            blueprint.params = mapdata::SmaxParams{tree.text(node, "file")};
            break;
        case BlueprintKind::Girder:
            blueprint.params = readGirder(node, params, texturesElement);
            break;
        case BlueprintKind::Quad: {
            mapdata::QuadParams quad;
            quad.width = tree.number(params, "width");
            quad.height = tree.number(params, "height");
            quad.texture = firstTexture();
            blueprint.params = std::move(quad);
            break;
        }
        case BlueprintKind::Road: {
            mapdata::RoadParams road;
            road.subtype = tree.text(node, "subtype");
            road.shape = MapFormat::roadShapeOf(road.subtype);
            road.direction = tree.string(params, "direction");
            road.paramsPlace = tree.nodes[std::size_t(params >= 0 ? params : node)].place;
            road.texture = firstTexture();
            blueprint.params = std::move(road);
            break;
        }
        }
    }
    file.blueprints.push_back(std::move(blueprint));
}

mapdata::GirderParams MapLoader::Pass::readGirder(int node, int params, int texturesElement) {
    mapdata::GirderParams girder;
    girder.shape = MapFormat::girderShapeOf(tree.text(params, "subtype"));
    girder.width = tree.number(params, "width");
    girder.height = tree.number(params, "height");
    girder.depth = tree.number(params, "depth");
    static const char* const kCorners[8] = {"ftl", "ftr", "fbl", "fbr", "btl", "btr", "bbl", "bbr"};
    const int points = tree.firstBelow(node, tree.element("points"));
    for (int point : tree.allBelow(points, tree.element("point"))) {
        const QString corner = tree.text(point, "p");
        for (int c = 0; c < 8; ++c)
            if (corner == QLatin1String(kCorners[c])) {
                girder.corners[std::size_t(c)] = tree.point(point);
                break;
            }
    }
    for (int side : tree.allBelow(texturesElement, tree.element("texture")))
        girder.textures.push_back({tree.nodes[std::size_t(side)].place, tree.string(side, "side"),
                                   tree.string(side, "textureKey")});
    const int materials = tree.firstBelow(node, tree.element("materials"));
    for (int m : tree.allBelow(materials, tree.element("material"))) {
        mapdata::GirderMaterial material;
        material.place = tree.nodes[std::size_t(m)].place;
        material.side = tree.string(m, "side");
        tree.colour(tree.firstBelow(m, tree.element("ambient")), material.ambient);
        tree.colour(tree.firstBelow(m, tree.element("diffuse")), material.diffuse);
        tree.colour(tree.firstBelow(m, tree.element("specular")), material.specular);
        const int shininess = tree.firstBelow(m, tree.element("shininess"));
        material.hasShininess = shininess >= 0;
        material.shininess = tree.number(shininess, "value");
        girder.materials.push_back(std::move(material));
    }
    const int normals = tree.firstBelow(node, tree.element("normals"));
    for (int n : tree.allBelow(normals, tree.element("normal")))
        girder.normals.push_back({tree.string(n, "side"), tree.point(n)});
    return girder;
}

void MapLoader::Pass::readObject(int node) {
    mapdata::Object object;
    object.place = tree.nodes[std::size_t(node)].place;
    // Where its bytes start, for editing in the window: the stream's places
    // count decoded characters, a file's edits go by bytes.
    object.offset = mapedit::findElement(handler.bytes(), object.place.line, object.place.column,
                                         "object", lines);
    object.key = tree.string(node, "key");
    object.blueprintKey = tree.string(node, "blueprintKey");
    if (const QString* mobile = tree.find(node, "mobile")) {
        object.hasMobile = true;
        object.mobileText = *mobile;
    }
    const int pos = tree.firstBelow(node, tree.element("pos"));
    if (pos >= 0)
        object.pos = tree.point(pos);
    const int rot = tree.firstBelow(node, tree.element("rot"));
    if (rot >= 0) {
        if (tree.has(rot, "value"))
            object.rot = {0, tree.number(rot, "value"), 0};
        else
            object.rot = tree.point(rot);
    }
    const int scale = tree.firstBelow(node, tree.element("scale"));
    if (scale >= 0) {
        if (tree.has(scale, "value")) {
            const float factor = tree.number(scale, "value");
            object.scale = {factor, factor, factor};
        } else {
            object.scale = tree.point(scale);
        }
    }
    file.objects.push_back(std::move(object));
}

MapLoader::MapLoader() : session(std::make_shared<Session>()) {}

MapLoader::~MapLoader() = default;

QString MapLoader::mapPath(const char* prefix, const QString& name) {
    return QString::fromLatin1(prefix) + name;
}

const MapData& MapLoader::data() const {
    return session->data;
}

MapData MapLoader::takeData() {
    return std::move(session->data);
}

MapDiagnostics& MapLoader::diagnostics() {
    return session->diagnostics;
}

bool MapLoader::load(const QString& name, const QString& shownName) {
    openPath = name;
    fileName = shownName.isEmpty() ? name : shownName;
    ++session->filesRead;
    session->data.mapFiles.append(fileName);
    mapdata::File file;
    file.path = fileName;
    file.openPath = openPath;
    file.includedAt = includedAt;
    file.read = readFile(file);
    if (file.read)
        loadIncludes(file);
    else if (includedAt.file.isEmpty())
        session->data.lost = true;
    session->data.files.push_back(std::move(file));
    return session->data.files.back().read;
}

bool MapLoader::readFile(mapdata::File& file) {
    MapDiagnostics& report = session->diagnostics;
    XmlHandler handler;
    bool ok = handler.load(openPath);
    if (ok) {
        file.hash = quint64(qHash(handler.bytes(), 0));
        Pass pass(*this, handler, file);
        ok = pass.run();
        // A section the root lacks is read from the first element of its
        // name outside every item element, wherever that stands.
        for (int id = 0; ok && id < kSectionCount; ++id) {
            if (pass.rootSection[id] || pass.candidates[id].offset < 0)
                continue;
            report.warning(pass.candidates[id].place,
                           QString("<%1> staat niet in het hoofdelement maar wordt als sectie %1 "
                                   "gelezen; zet de sectie direct in <map>")
                               .arg(QLatin1String(MapFormat::sections()[std::size_t(id)].name)));
            Pass forced(*this, handler, file);
            ok = forced.run(id, pass.candidates[id].offset);
        }
    }
    if (ok)
        return true;
    // Nothing of a file that is not well-formed is read.
    mapdata::File empty;
    empty.path = file.path;
    empty.openPath = file.openPath;
    empty.includedAt = file.includedAt;
    file = std::move(empty);
    const bool included = !includedAt.file.isEmpty();
    if (handler.openFailed() && included) {
        QString why = handler.problem();
        if (why == QLatin1String("bestaat niet"))
            why += " (includes worden gezocht in " + QLatin1String(kIncludeDirectory) +
                   " onder de map waarin Kolvar werkt, " +
                   QDir::current().absoluteFilePath(kIncludeDirectory) +
                   ", niet naast het bestand dat ze noemt)";
        report.error(includedAt,
                     "include " + fileName + " kan niet gelezen worden: " + why +
                         ", wordt overgeslagen",
                     "include");
    } else if (handler.openFailed()) {
        report.error({fileName, 1, 1}, "map kan niet gelezen worden: " + handler.problem());
    } else {
        report.error({fileName, handler.problemLine(), handler.problemColumn()},
                     handler.problem() + "; het bestand wordt overgeslagen");
    }
    return false;
}

void MapLoader::loadIncludes(const mapdata::File& file) {
    MapDiagnostics& report = session->diagnostics;
    chain.append(chainName(openPath));
    const std::size_t count = file.includes.size();
    for (std::size_t i = 0; i < count; ++i) {
        const mapdata::Include& include = file.includes[i];
        // A file already being read further up the chain would recurse without end.
        if (chain.contains(chainName(include.path))) {
            report.warning(include.place, "include " + include.path +
                                              " leidt in een lus terug naar zichzelf, wordt "
                                              "overgeslagen");
            continue;
        }
        if (chain.size() >= kMaxIncludeDepth) {
            report.error(include.place,
                         QString("include %1 wordt overgeslagen: meer dan %2 includes diep")
                             .arg(include.path)
                             .arg(kMaxIncludeDepth),
                         "include");
            continue;
        }
        // NOTE: each include may read at most a fair share of the files this
        // one may still read, so includes that multiply (each file including
        // the next twice) exhaust their own share, not the rest of the map's.
        const int left = fileBudgetEnd - session->filesRead;
        if (left <= 0) {
            report.error(include.place,
                         QString("include %1 wordt overgeslagen: te veel bestanden gelezen "
                                 "(hoogstens %2 voor een map, eerlijk verdeeld over de includes)")
                             .arg(include.path)
                             .arg(kMaxFilesPerLoad),
                         "include");
            continue;
        }
        MapLoader included;
        included.session = session;
        included.chain = chain;
        included.includedAt = include.place;
        included.fileBudgetEnd = session->filesRead + std::max(1, left / int(count - i));
        included.load(include.path);
    }
}
