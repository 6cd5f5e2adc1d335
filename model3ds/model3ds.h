// Model_3DS: the scene object of a 3DS model file. load() reads the file with
// Reader3DS and gives each material a GL texture (its texture map, or else a
// 2 x 2 texture of its colour), shared with every material of the world
// naming the same file or colour (the world's ModelTextures), and merges the objects' material
// groups per material for drawing; draw() emits each material's faces as one indexed triangle batch
// from vertex arrays.
#pragma once

#include "model3ds/reader3ds.h"
#include "scene/tobject.h"
#include "textures/gltexture.h"
#include "textures/modeltextures.h"

#include <QString>
#include <cmath>
#include <map>
#include <string>
#include <vector>

class Model_3DS : public TObject {
public:
    // A material as read, with the GL texture it is drawn with.
    struct Material {
        Material3DS record;
        GLTexture texture;
        // Its texture map: the image file found for it, and why it is not
        // used (Dutch; empty when it is, or when the material has none). The
        // world's builder reports it at the map's place.
        std::string textureImage;
        std::string textureProblem;
    };

    Model_3DS() = default;
    // Frees the batches' display list when a GL context is current.
    ~Model_3DS() override;
    Model_3DS(const Model_3DS&) = delete; // one owner of the display list
    Model_3DS& operator=(const Model_3DS&) = delete;

    // What a read of the model's file found, for the map checks, which
    // report it at the blueprint's place in the map file.
    struct ReadReport {
        bool opened = false;          // the file could be opened and read
        bool tooLarge = false;        // refused: over Reader3DS::kMaxFileBytes
        bool changed = false;         // the file changed while it was read: left out
        std::uintmax_t fileBytes = 0; // its size
        std::string firstProblem;     // the first damage found; empty for a sound file
        std::size_t faces = 0;        // of all objects
        // Faces that no material group names: they are not drawn (a model
        // exported without materials draws nothing at all).
        std::size_t ungroupedFaces = 0;
    };
    static ReadReport reportOf(const Reader3DS& reader);

    // Reads the model at path (relative to the working directory; surrounding
    // double quotes are dropped, see filePath). A file that cannot be opened,
    // or that changes while it is read, leaves the model empty; a damaged one
    // keeps what was consistent. Each says so on standard output. The materials' textures come from
    // (and are shared in) textures. Needs a current GL context for them.
    void load(const char* path, ModelTextures& textures);
    // The file a model path of a map names: the first run of characters that
    // are not double quotes ("a.3ds" -> a.3ds).
    static std::string filePath(const std::string& path);
    // Draws every material group at placement: translate, rotate
    // about x, y, then z, scale. Leaves the model-view matrix as it was.
    // One draw call per material (and per kind of object, with or without
    // mapping coordinates), however many objects and groups use it; outside
    // the compiling of a display list, from a list of the batches made at
    // the first draw, so a mobile model does not send its arrays each frame.
    void draw(const TObject& placement, const TextureFactory& textures) override;
    // The model's own box (measured when it was loaded) as draw places it.
    Bounds bounds(const TObject& placement) const override;

    int getObjectCount() const { return objectCount; }

    // Directory path -> its entries by case-folded name, listed during one load.
    using Listings = std::map<std::string, std::map<QString, QString>>;
    // True when a texture map name leaves the model's directory: an absolute
    // name, or one that climbs above the directory with "..". Such a map is
    // not looked up: a model shows the images beside it or below it, not any
    // file on the disk.
    static bool leavesModelDirectory(const std::string& map);
    // The file a texture map name of the model at modelPath stands for (beside
    // the model, as written or else ignoring case), or an empty string when
    // none exists or the name leaves the model's directory.
    static std::string texturePath(const std::string& modelPath, const std::string& map,
                                   Listings& listings);

    std::vector<Material> materials; // in file order
    int objectCount = 0;             // objects read by the last load
    // The box around every vertex of the model (those at NaN left out), y
    // up as drawn; low over high when it has none.
    float low[3] = {INFINITY, INFINITY, INFINITY};
    float high[3] = {-INFINITY, -INFINITY, -INFINITY};
    ReadReport readReport; // what the last load's read found

    // The faces of every object using one material, in file order of
    // objects and groups, with arrays of their own holding only the vertices
    // they use (a vertex shared with another material is in both), so a
    // draw sends no vertex of another batch.
    struct Batch {
        int material = -1;             // index into materials; -1: drawn untextured
        bool textured = false;         // its objects have mapping coordinates
        std::vector<float> vertices;   // x, y, z per vertex
        std::vector<float> normals;    // x, y, z per vertex, as vertexNormals gives them
        std::vector<float> texCoords;  // u, v per vertex when textured
        std::vector<unsigned> indices; // 3 per face, into the arrays above
    };
    std::vector<Batch> batches; // built by load from objects; in the order their first group comes

    // Merges the groups of objects into batches, and measures the box; load
    // does this with what it read, then drops the objects, which view the
    // file. Their bytes may have changed since the read (a model saved again
    // meanwhile): a face naming a vertex past its object's is left out.
    void prepareDrawing(const std::vector<Object3DS>& objects);

private:
    // Emits the batches from their arrays.
    void drawBatches();

    GLuint batchList = 0; // the batches' display list once made; 0 before
};
