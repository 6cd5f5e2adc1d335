// MapFormat: the one description of the map file format: its six sections,
// the elements allowed inside each, their attributes and the kind of value
// each attribute holds. The loader's section walk checks every element and
// attribute of a section against it before the section is read, and reads
// numbers through numberValue(), so the loader and the checks share one
// table and one reading of each value.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

enum class ValueKind {
    Text,         // any text (keys, names)
    Number,       // a decimal number with a point ("1.5", not "1,5") in -1e9..1e9
    Size,         // a number above 0, in world units
    Fraction,     // a number 0..1 (shininess, applied x 128)
    NonNegative,  // a number 0 or more (attenuation factors)
    SpotCutoff,   // degrees 0..90, or 180 for no spot
    SpotExponent, // 0..128
    LightNumber,  // integer 0..7 (GL_LIGHT0..GL_LIGHT7)
    Flag,         // "true" switches on, any other text off
    Presence,     // only whether the attribute is there counts
    Mobile,       // "true"/"1" mobile, "false"/"0" not; any other text mobile, with a warning
    Side,         // a girder side name, or "all"
    NormalSide,   // a girder side name ("all" is not one here)
    Corner,       // a girder corner name: ftl, ftr, fbl, fbr, btl, btr, bbl, bbr
    TextureKey,   // a reference to a texture key, resolved when drawing
    ImageFile,    // an image file, relative to the working directory
    ModelFile,    // a 3DS file, relative to the working directory
};

// The kinds of blueprint a map defines ("type"), and the shapes of the kinds
// that have several; names in kindName() and the others, beside the format
// table. A map's text is turned into these once, when it is read.
enum class BlueprintKind { Smax, Girder, Quad, Road };
enum class RoadShape { Flat, FlatTurn, Turn, TurnLarge }; // "subtype" of a road
enum class GirderShape { Points, Rect, Cube };            // "subtype" in <params>
constexpr int kBlueprintKinds = int(BlueprintKind::Road) + 1;

struct AttributeFormat {
    const char* name;
    ValueKind kind;
};

struct ElementFormat {
    const char* name;
    std::vector<AttributeFormat> attributes;
};

struct SectionFormat {
    const char* name;                    // "includes", "camera", ...
    std::vector<ElementFormat> elements; // allowed at any depth inside the section
};

namespace MapFormat {

// The six sections, in the order the loader reads them.
const std::vector<SectionFormat>& sections();
const SectionFormat* findSection(const QString& name);
const ElementFormat* findElement(const SectionFormat& section, const QString& name);
const AttributeFormat* findAttribute(const ElementFormat& element, const QString& name);

// Blueprint kinds and shapes: their names in a map, and back. A name that is
// no kind or shape gives nothing; every girder subtype but "rect" and "cube"
// is the shape given by its points.
const char* kindName(BlueprintKind kind);
// Drawn and walked against as a flat rectangle of its own size (a quad, a
// road piece), whatever its boundingBox says.
bool isFlat(BlueprintKind kind);
std::optional<BlueprintKind> kindOf(const QString& type);
const std::vector<QString>& kindNames();
const char* roadShapeName(RoadShape shape);
std::optional<RoadShape> roadShapeOf(const QString& subtype);
const std::vector<QString>& roadShapeNames();
GirderShape girderShapeOf(const QString& subtype);
// The direction value a road piece of this shape is built with, for its
// "direction" text; -1 when the text is no direction of the shape. A straight
// runs along x for "X" and along z for anything else.
int roadDirection(RoadShape shape, const std::string& direction);
// The direction names of a shape, for a message ("a, b, c").
QString roadDirectionNames(RoadShape shape);

// The value as the loader uses it: malformed, missing and non-finite numbers,
// and those beyond -1e9..1e9, read as 0. ok, when given, tells whether the
// text was a number within that range.
float numberValue(const QString& text, bool* ok = nullptr);
// What is wrong with this value of this kind and what happens to it (Dutch,
// e.g. "is geen getal, wordt 0"), or an empty string when it is fine. Files
// and key references are checked by the loader, not here.
QString valueProblem(ValueKind kind, const QString& value);

// Names longer than this are not compared for a suggestion: the comparison
// takes time quadratic in the length, and so long a name is no typing mistake.
constexpr int kMaxSuggestedLength = 64;

// The known name closest to name (ignoring case), or an empty string when
// none is close enough to be a likely typing mistake. budget, when given,
// counts down the character pairs compared; no name is compared once it is
// spent, so that many unknown names against many keys cannot stall a load.
QString nearestName(const QString& name, const std::vector<QString>& known,
                    qint64* budget = nullptr);

} // namespace MapFormat
