// MapFormat: the table of sections, elements and attributes, and the
// reading and judging of one attribute value.
#include "mapfile/mapformat.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using K = ValueKind;

// The largest magnitude a number in a map may have (world units, degrees,
// factors). Beyond it nothing can be seen from a 750-unit view, a float no
// longer tells whole units apart, and sizes times scales, squared distances
// and cell or batch numbers derived from it would overflow: such a value
// reads as 0, like a malformed one.
constexpr double kMaxMagnitude = 1.0e9;

const std::vector<AttributeFormat> kColour = {
    {"r", K::Number}, {"g", K::Number}, {"b", K::Number}, {"a", K::Number}};
const std::vector<AttributeFormat> kPoint = {{"x", K::Number}, {"y", K::Number}, {"z", K::Number}};
const std::vector<AttributeFormat> kPlacement = {
    {"value", K::Number}, {"x", K::Number}, {"y", K::Number}, {"z", K::Number}};

const std::vector<SectionFormat> kSections = {
    {"includes", {{"include", {{"file", K::Text}}}}},
    {"camera",
     {{"startingPos",
       {{"posx", K::Number},
        {"posy", K::Number},
        {"posz", K::Number},
        {"viewx", K::Number},
        {"viewy", K::Number},
        {"viewz", K::Number}}}}},
    {"textures", {{"texture", {{"key", K::Text}, {"file", K::ImageFile}}}}},
    {"lights",
     {{"light",
       {{"nr", K::LightNumber},
        {"x", K::Number},
        {"y", K::Number},
        {"z", K::Number},
        {"a", K::Number},
        {"on", K::Flag},
        {"flashlight", K::Presence}}},
      {"ambient", kColour},
      {"diffuse", kColour},
      {"specular", kColour},
      {"spot",
       {{"radius", K::SpotCutoff},
        {"x", K::Number},
        {"y", K::Number},
        {"z", K::Number},
        {"a", K::Number},
        {"exponent", K::SpotExponent}}},
      {"attenuation",
       {{"constant", K::NonNegative}, {"linear", K::NonNegative}, {"quadratic", K::NonNegative}}}}},
    {"blueprints",
     {{"blueprint",
       {{"type", K::Text}, {"key", K::Text}, {"file", K::ModelFile}, {"subtype", K::Text}}},
      {"boundingBox", {{"width", K::Size}, {"height", K::Size}, {"depth", K::Size}}},
      {"params",
       {{"subtype", K::Text},
        {"width", K::Size},
        {"height", K::Size},
        {"depth", K::Size},
        {"direction", K::Text}}},
      {"textures", {}},
      {"texture", {{"textureKey", K::TextureKey}, {"side", K::Side}}},
      {"materials", {}},
      {"material", {{"side", K::Side}}},
      {"ambient", kColour},
      {"diffuse", kColour},
      {"specular", kColour},
      {"shininess", {{"value", K::Fraction}}},
      {"normals", {}},
      {"normal", {{"side", K::NormalSide}, {"x", K::Number}, {"y", K::Number}, {"z", K::Number}}},
      {"points", {}},
      {"point", {{"p", K::Corner}, {"x", K::Number}, {"y", K::Number}, {"z", K::Number}}}}},
    {"objects",
     {{"object", {{"key", K::Text}, {"blueprintKey", K::Text}, {"mobile", K::Mobile}}},
      {"pos", kPoint},
      {"rot", kPlacement},
      {"scale", kPlacement}}},
};

// The kinds in enum order: the name of each, and whether it is flat: drawn
// and walked against as a flat rectangle of its own size, whatever its
// boundingBox says.
struct KindFormat {
    const char* name;
    bool flat;
};
const KindFormat kKinds[] = {{"smax", false}, {"girder", false}, {"quad", true}, {"road", true}};
static_assert(sizeof(kKinds) / sizeof(*kKinds) == kBlueprintKinds, "one entry a kind");
const char* const kRoadShapeNames[] = {"flat", "flatTurn", "turn", "turnLarge"};
// Direction strings of the turning road pieces and their values; flatTurn has its own.
const std::vector<std::pair<const char*, int>> kFlatTurnDirections = {
    {"Z_13", 0}, {"Z_42", 1}, {"X_31", 2}, {"X_24", 3}};
const std::vector<std::pair<const char*, int>> kTurnDirections = {
    {"upLeft", 0}, {"upRight", 1}, {"downLeft", 2}, {"downRight", 3}};

const std::vector<std::pair<const char*, int>>& directionsOf(RoadShape shape) {
    return shape == RoadShape::FlatTurn ? kFlatTurnDirections : kTurnDirections;
}

template <std::size_t N> std::vector<QString> nameList(const char* const (&names)[N]) {
    std::vector<QString> list;
    for (const char* name : names)
        list.push_back(QLatin1String(name));
    return list;
}

const std::vector<QString> kSideNames = {"front", "back", "left", "right", "top", "bottom"};
const std::vector<QString> kCornerNames = {"ftl", "ftr", "fbl", "fbr", "btl", "btr", "bbl", "bbr"};

// "wordt 0" with the nearest known name, or "wordt <fallback>" alone.
QString unknownName(const QString& value, const std::vector<QString>& known, const char* fallback) {
    const QString nearest = MapFormat::nearestName(value, known);
    QString text = "is geen gekende naam";
    if (!nearest.isEmpty())
        text += " (bedoelt u " + nearest + "?)";
    return text + ", wordt " + fallback;
}

// Names a map author is likely to write for another, with the names meant
// (in lower case; a suggestion is made only of a name the place knows).
// Edit distance finds typing mistakes; these are other words for the same thing.
const std::vector<std::pair<const char*, std::vector<const char*>>> kAliases = {
    {"cutoff", {"radius"}},
    {"angle", {"radius", "value"}},
    {"spread", {"radius"}},
    {"exp", {"exponent"}},
    {"falloff", {"exponent"}},
    {"id", {"nr", "key"}},
    {"number", {"nr"}},
    {"num", {"nr"}},
    {"index", {"nr"}},
    {"enabled", {"on"}},
    {"enable", {"on"}},
    {"state", {"on"}},
    {"flash", {"flashlight"}},
    {"torch", {"flashlight"}},
    {"name", {"key"}},
    {"path", {"file"}},
    {"src", {"file"}},
    {"filename", {"file"}},
    {"model", {"file", "smax"}},
    {"texture", {"textureKey"}},
    {"key", {"textureKey", "blueprintKey"}},
    {"blueprint", {"blueprintKey"}},
    {"drivable", {"mobile"}},
    {"movable", {"mobile"}},
    {"kind", {"type", "subtype"}},
    {"w", {"width"}},
    {"h", {"height"}},
    {"d", {"depth"}},
    {"length", {"depth", "height"}},
    {"size", {"width", "value"}},
    {"position", {"pos"}},
    {"location", {"pos"}},
    {"rotation", {"rot"}},
    {"rotate", {"rot"}},
    {"heading", {"rot", "value"}},
    {"yaw", {"value"}},
    {"factor", {"value"}},
    {"start", {"startingPos"}},
    {"startpos", {"startingPos"}},
    {"eye", {"startingPos"}},
    {"box", {"boundingBox", "girder"}},
    {"bbox", {"boundingBox"}},
    {"bounds", {"boundingBox"}},
    {"color", {"diffuse"}},
    {"colour", {"diffuse"}},
    {"spotlight", {"spot"}},
    {"shine", {"shininess"}},
    {"up", {"top"}},
    {"down", {"bottom"}},
    {"above", {"top"}},
    {"below", {"bottom"}},
    {"3ds", {"smax"}},
    {"mesh", {"smax"}},
    {"plane", {"quad"}},
    {"floor", {"quad"}},
    {"rect", {"quad"}},
    {"street", {"road"}},
    {"straight", {"flat"}},
    {"curve", {"turn"}},
    {"cross", {"flatTurn"}},
    {"crossing", {"flatTurn"}},
    {"junction", {"flatTurn"}},
};

// The name meant by an alias, when the place knows it; empty otherwise.
QString aliasFor(const QString& name, const std::vector<QString>& known) {
    const QString lower = name.toLower();
    for (const auto& [alias, meant] : kAliases) {
        if (lower != QLatin1String(alias))
            continue;
        for (const char* target : meant)
            for (const QString& candidate : known)
                if (candidate == QLatin1String(target))
                    return candidate;
    }
    return QString();
}

// For a decimal number written as such (what toDouble reads) but beyond
// what a double holds: why it reads as 0. Empty for anything else.
QString unreadableNumber(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QString();
    const double number = std::strtod(text.trimmed().toLatin1().constData(), nullptr);
    if (std::isinf(number))
        return "is te groot, ligt buiten -1e9..1e9, wordt 0";
    if (number == 0 && match.captured(1).contains(QRegularExpression(QStringLiteral("[1-9]"))))
        return "ligt te dicht bij 0 om gelezen te worden, wordt 0";
    return QString();
}

// Edit distance between a and b, ignoring case.
int distance(const QString& a, const QString& b) {
    const QString x = a.toLower(), y = b.toLower();
    std::vector<int> row(y.size() + 1);
    for (int j = 0; j <= y.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= x.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= y.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] != y[j - 1])});
            diagonal = above;
        }
    }
    return row[y.size()];
}

} // namespace

namespace MapFormat {

const std::vector<SectionFormat>& sections() {
    return kSections;
}

const SectionFormat* findSection(const QString& name) {
    for (const SectionFormat& section : kSections)
        if (name == QLatin1String(section.name))
            return &section;
    return nullptr;
}

const ElementFormat* findElement(const SectionFormat& section, const QString& name) {
    for (const ElementFormat& element : section.elements)
        if (name == QLatin1String(element.name))
            return &element;
    return nullptr;
}

const AttributeFormat* findAttribute(const ElementFormat& element, const QString& name) {
    for (const AttributeFormat& attribute : element.attributes)
        if (name == QLatin1String(attribute.name))
            return &attribute;
    return nullptr;
}

const char* kindName(BlueprintKind kind) {
    return kKinds[int(kind)].name;
}

bool isFlat(BlueprintKind kind) {
    return kKinds[int(kind)].flat;
}

const std::vector<QString>& kindNames() {
    static const std::vector<QString> names = [] {
        std::vector<QString> list;
        for (const KindFormat& kind : kKinds)
            list.push_back(QLatin1String(kind.name));
        return list;
    }();
    return names;
}

std::optional<BlueprintKind> kindOf(const QString& type) {
    for (int k = 0; k < kBlueprintKinds; ++k)
        if (type == QLatin1String(kKinds[k].name))
            return BlueprintKind(k);
    return std::nullopt;
}

const char* roadShapeName(RoadShape shape) {
    return kRoadShapeNames[int(shape)];
}

const std::vector<QString>& roadShapeNames() {
    static const std::vector<QString> names = nameList(kRoadShapeNames);
    return names;
}

std::optional<RoadShape> roadShapeOf(const QString& subtype) {
    for (std::size_t s = 0; s < std::size(kRoadShapeNames); ++s)
        if (subtype == QLatin1String(kRoadShapeNames[s]))
            return RoadShape(s);
    return std::nullopt;
}

GirderShape girderShapeOf(const QString& subtype) {
    if (subtype == QLatin1String("rect"))
        return GirderShape::Rect;
    if (subtype == QLatin1String("cube"))
        return GirderShape::Cube;
    return GirderShape::Points;
}

int roadDirection(RoadShape shape, const std::string& direction) {
    if (shape == RoadShape::Flat)
        return direction == "X" ? 0 : 1;
    for (const auto& [name, value] : directionsOf(shape))
        if (direction == name)
            return value;
    return -1;
}

QString roadDirectionNames(RoadShape shape) {
    QStringList names;
    if (shape == RoadShape::Flat)
        names << "X"
              << "Z";
    else
        for (const auto& entry : directionsOf(shape))
            names << entry.first;
    names.sort(); // in byte order, as a reader looks them up
    return names.join(", ");
}

float numberValue(const QString& text, bool* ok) {
    bool parsed = false;
    const float value = text.toFloat(&parsed);
    const bool usable = parsed && std::fabs(value) <= kMaxMagnitude; // false for nan and inf
    if (ok)
        *ok = usable;
    return usable ? value : 0.0f;
}

QString valueProblem(ValueKind kind, const QString& value) {
    switch (kind) {
    case K::Text:
    case K::Presence:
    case K::TextureKey:
    case K::ImageFile:
    case K::ModelFile:
        return QString();
    case K::Mobile:
        return value == "true" || value == "1" || value == "false" || value == "0"
                   ? QString()
                   : "is niet true, 1, false of 0; het object is mobiel (bestuurbaar)";
    case K::Flag:
        return value == "true" || value == "false" ? QString()
                                                   : "is niet true of false, wordt false";
    case K::Side:
        return value == "all" || std::count(kSideNames.begin(), kSideNames.end(), value)
                   ? QString()
                   : unknownName(value, {"front", "back", "left", "right", "top", "bottom", "all"},
                                 "top");
    case K::NormalSide:
        return std::count(kSideNames.begin(), kSideNames.end(), value)
                   ? QString()
                   : unknownName(value, kSideNames, "top");
    case K::Corner:
        return std::count(kCornerNames.begin(), kCornerNames.end(), value)
                   ? QString()
                   : unknownName(value, kCornerNames, "overgeslagen");
    case K::LightNumber: {
        bool ok = false;
        const int nr = value.toInt(&ok, 10);
        // "0" is how a map names GL_LIGHT0 (the default world's sky light).
        return ok && nr >= 0 && nr <= 7 ? QString() : "ligt niet in 0..7, wordt licht 0";
    }
    default:
        break;
    }
    // Read as a double, so that a number beyond a float's range is named as
    // such; one too close to 0 for a float reads as 0, which is what it means.
    const QString range = unreadableNumber(value);
    if (!range.isEmpty())
        return range;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return "is geen getal, wordt 0";
    if (!std::isfinite(number))
        return "is geen eindig getal, wordt 0";
    if (std::fabs(number) > kMaxMagnitude)
        return "ligt buiten -1e9..1e9, wordt 0";
    switch (kind) {
    case K::Size:
        return number > 0 ? QString() : "is niet groter dan 0";
    case K::Fraction:
        return number >= 0 && number <= 1 ? QString()
                                          : "ligt niet in 0..1, OpenGL weigert de waarde";
    case K::NonNegative:
        return number >= 0 ? QString() : "is negatief, OpenGL weigert de waarde";
    case K::SpotCutoff:
        return (number >= 0 && number <= 90) || number == 180
                   ? QString()
                   : "ligt niet in 0..90 en is geen 180, OpenGL weigert de waarde";
    case K::SpotExponent:
        return number >= 0 && number <= 128 ? QString()
                                            : "ligt niet in 0..128, OpenGL weigert de waarde";
    default:
        return QString();
    }
}

QString nearestName(const QString& name, const std::vector<QString>& known, qint64* budget) {
    QString best = aliasFor(name, known);
    if (!best.isEmpty() || name.size() > kMaxSuggestedLength)
        return best;
    int bestDistance = std::max(2, int(name.size()) / 3) + 1;
    for (const QString& candidate : known) {
        // The difference in length is the least the distance can be.
        if (candidate.size() > kMaxSuggestedLength ||
            std::abs(int(candidate.size()) - int(name.size())) >= bestDistance)
            continue;
        if (budget) {
            if (*budget <= 0)
                break;
            *budget -= qint64(name.size() + 1) * (candidate.size() + 1);
        }
        const int d = distance(name, candidate);
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace MapFormat
