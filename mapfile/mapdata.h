// MapData: a map and its includes as plain data, between reading and
// building. The reader (maploader.h) fills it from the XML, the checks
// (mapcheck.h) judge it, and the world's builder makes scene objects, lights,
// textures and models from it. Every item keeps the place of the element it
// came from, so checks and the window can name it.
//
// Values are already read as the design reads them: a missing or malformed
// number is 0, a missing attribute the empty string; what was given as text
// is kept where a check needs it.
#pragma once

#include "mapfile/mapdiagnostics.h"
#include "mapfile/mapformat.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace mapdata {

struct Point {
    float x = 0, y = 0, z = 0;
};

struct Include {
    MapPlace place;
    QString file; // as written
    QString path; // read from: "maps/" + file
};

struct Camera {
    MapPlace place;             // the <startingPos>, or the <camera> when it has none
    bool hasStart = false;      // a <startingPos> was there
    double pos[3] = {0, 0, 0};  // eye, world units
    double view[3] = {0, 0, 0}; // the point looked at
};

struct Texture {
    MapPlace place;
    std::string key;
    bool hasKey = false;
    QString file; // relative to the working directory
};

struct Colour {
    bool present = false;
    float rgba[4] = {0, 0, 0, 0};
};

struct Light {
    MapPlace place;
    bool hasNr = false;
    int nr = 0;                       // as written; the builder maps it to GL_LIGHT0..7
    float position[4] = {0, 0, 0, 0}; // x, y, z, a (a 0: a direction)
    bool on = false;                  // on="true"
    bool flashlight = false;          // the attribute is there
    Colour ambient, diffuse, specular;
    bool hasSpot = false;
    float spotCutoff = 0;                  // degrees, "radius"
    float spotDirection[4] = {0, 0, 0, 0}; // x, y, z, a
    bool hasSpotExponent = false;
    float spotExponent = 0;
    bool hasAttenuation = false;
    float attenuation[3] = {0, 0, 0}; // constant, linear, quadratic
};

// One side entry of a girder: a texture key or a material for a side name
// ("all" for every side), or a normal.
struct GirderTexture {
    MapPlace place;
    std::string side;
    std::string key;
};
struct GirderMaterial {
    MapPlace place;
    std::string side;
    Colour ambient, diffuse, specular;
    bool hasShininess = false;
    float shininess = 0; // 0..1
};
struct GirderNormal {
    std::string side;
    Point normal;
};

// The first <texture> of a quad or road blueprint.
struct TextureUse {
    bool present = false;
    std::string key;
    MapPlace place;
};

// Each kind's own parameters.
struct SmaxParams {
    QString file; // the 3DS file, relative to the working directory
};
struct GirderParams {
    GirderShape shape = GirderShape::Points;
    float width = 0, height = 0, depth = 0; // rect; a cube is width on every side
    std::array<Point, 8> corners{};         // points: ftl, ftr, fbl, fbr, btl, btr, bbl, bbr
    std::vector<GirderTexture> textures;
    std::vector<GirderMaterial> materials;
    std::vector<GirderNormal> normals;
};
struct QuadParams {
    float width = 0, height = 0; // along x and z
    TextureUse texture;
};
struct RoadParams {
    QString subtype;                // as written
    std::optional<RoadShape> shape; // none: the subtype is no road shape
    std::string direction;          // as written
    MapPlace paramsPlace;           // the <params>, or the blueprint when there is none
    TextureUse texture;
};
// A "type" that is no kind: the blueprint is skipped.
struct UnknownKind {};

// In BlueprintKind order after UnknownKind, so that the index names the kind.
using BlueprintParams = std::variant<UnknownKind, SmaxParams, GirderParams, QuadParams, RoadParams>;
static_assert(
    std::is_same_v<std::variant_alternative_t<1 + int(BlueprintKind::Smax), BlueprintParams>,
                   SmaxParams> &&
        std::is_same_v<std::variant_alternative_t<1 + int(BlueprintKind::Girder), BlueprintParams>,
                       GirderParams> &&
        std::is_same_v<std::variant_alternative_t<1 + int(BlueprintKind::Quad), BlueprintParams>,
                       QuadParams> &&
        std::is_same_v<std::variant_alternative_t<1 + int(BlueprintKind::Road), BlueprintParams>,
                       RoadParams> &&
        std::variant_size_v<BlueprintParams> == 1 + kBlueprintKinds,
    "BlueprintParams follows BlueprintKind");

struct Blueprint {
    MapPlace place;
    QString type; // as written
    std::string key;
    bool hasKey = false;
    bool hasBox = false;
    float box[3] = {0, 0, 0}; // boundingBox width, height, depth
    BlueprintParams params;

    // The kind, or none for an unknown type.
    std::optional<BlueprintKind> kind() const {
        if (params.index() == 0)
            return std::nullopt;
        return BlueprintKind(params.index() - 1);
    }
    template <typename Params> const Params* as() const { return std::get_if<Params>(&params); }

    // Calls use(key, place) for each texture key the blueprint names.
    template <typename Use> void forEachTextureKey(Use use) const {
        struct Visit {
            Use& use;
            void operator()(const UnknownKind&) const {}
            void operator()(const SmaxParams&) const {} // its materials name image files
            void operator()(const GirderParams& girder) const {
                for (const GirderTexture& side : girder.textures)
                    use(side.key, side.place);
            }
            void operator()(const QuadParams& quad) const { first(quad.texture); }
            void operator()(const RoadParams& road) const { first(road.texture); }
            void first(const TextureUse& texture) const {
                if (texture.present)
                    use(texture.key, texture.place);
            }
        };
        std::visit(Visit{use}, params);
    }
};

struct Object {
    MapPlace place;
    qint64 offset = -1; // of its '<' in the file's bytes; -1: not found there
    std::string key;
    std::string blueprintKey;
    bool hasMobile = false; // the attribute is there
    QString mobileText;     // its value
    Point pos;
    Point rot; // degrees about x, y, z
    Point scale{1, 1, 1};

    // Drivable: the attribute is there and is neither "false" nor "0"
    // (any other value keeps the meaning its presence alone once had).
    bool isMobile() const {
        return hasMobile && mobileText != QLatin1String("false") &&
               mobileText != QLatin1String("0");
    }
};

// One map file's own sections, in the order they are built.
struct File {
    QString path;        // as read (includes: "maps/" + name)
    QString openPath;    // as opened: a first map named from elsewhere differs from path
    quint64 hash = 0;    // of the bytes read (qHash, seed 0): a later change on disk differs
    MapPlace includedAt; // the include element; empty file for the first map
    bool read = false;   // opened and parsed: its sections below count
    std::vector<Include> includes;
    std::vector<Camera> cameras; // at most one
    std::vector<Texture> textures;
    std::vector<Light> lights;
    std::vector<Blueprint> blueprints;
    std::vector<Object> objects;
};

} // namespace mapdata

struct MapData {
    // Every file read, in the order the design builds them: each included
    // file complete (its own includes first) before the file that includes
    // it, so the first map comes last.
    std::vector<mapdata::File> files;
    // Every file the map depends on, map files that failed to open included,
    // so that a watcher sees them appear.
    QStringList mapFiles;
    // The first map could not be read or parsed: nothing of it can be built.
    bool lost = false;
};
