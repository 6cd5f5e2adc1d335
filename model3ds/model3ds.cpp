// Model_3DS: loading a 3DS file (Reader3DS) into per-material batches of
// indexed triangles with their GL textures, and drawing the batches from
// vertex arrays, compiled into one display list at the first draw.
#include "model3ds/model3ds.h"

#include "model3ds/normals3ds.h"
#include "model3ds/problems3ds.h"
#include "textures/modeltextures.h"

#include <GL/gl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QString>
#include <algorithm>
#include <iostream>
#include <map>

std::string Model_3DS::filePath(const std::string& path) {
    if (path.find('"') == std::string::npos)
        return path;
    const std::size_t begin = path.find_first_not_of('"');
    if (begin == std::string::npos)
        return std::string();
    const std::size_t end = path.find('"', begin);
    return path.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

Model_3DS::ReadReport Model_3DS::reportOf(const Reader3DS& reader) {
    ReadReport report;
    report.opened = reader.opened;
    report.tooLarge = reader.tooLarge;
    report.changed = reader.changed;
    report.fileBytes = reader.fileBytes;
    if (reader.damaged() && !reader.problems.empty())
        report.firstProblem = dutchProblem3DS(reader.problems.front());
    for (const Object3DS& object : reader.objects) {
        report.faces += std::size_t(object.faceCount());
        report.ungroupedFaces += ungroupedFaces(object);
    }
    return report;
}

void Model_3DS::load(const char* path, ModelTextures& textures) {
    const std::string given = path ? path : "";
    std::cout << "Model_3DS : " << given << " inladen is begonnen \n";
    const std::string file = filePath(given);
    // What an earlier load made goes, whatever this one finds.
    prepareDrawing({});
    objectCount = 0;
    materials.clear();
    if (batchList && QOpenGLContext::currentContext())
        glDeleteLists(batchList, 1);
    batchList = 0;

    Reader3DS reader;
    reader.readFile(file.c_str());
    readReport = reportOf(reader);
    if (reader.tooLarge) {
        std::cout << "Model_3DS : " << file << " is " << reader.fileBytes << " bytes, meer dan "
                  << Reader3DS::kMaxFileBytes << " : wordt niet ingeladen \n";
        return;
    }
    // The map's report names the change at the blueprint; the watcher's
    // reload after the writer's last change reads the file again.
    if (reader.changed) {
        std::cout << "Model_3DS : " << file << " inladen is afgebroken \n";
        return;
    }
    if (!reader.opened) {
        std::cout << "Model_3DS : " << file << " kan niet geopend worden \n";
        return;
    }
    if (reader.materialsLeftOut)
        std::cout << "Model_3DS : " << file << " heeft meer dan " << Reader3DS::kMaxMaterials
                  << " materialen : " << reader.materialsLeftOut << " worden weggelaten \n";
    if (reader.objectsLeftOut)
        std::cout << "Model_3DS : " << file << " heeft meer dan " << Reader3DS::kMaxObjects
                  << " objecten : " << reader.objectsLeftOut << " worden weggelaten \n";
    if (reader.facesLeftOut)
        std::cout << "Model_3DS : " << file << " heeft meer dan " << Reader3DS::kMaxDrawnFaces
                  << " te tekenen vlakken : " << reader.facesLeftOut << " worden weggelaten \n";
    if (reader.damaged())
        std::cout << "Model_3DS : " << file
                  << " is beschadigd, enkel de leesbare delen worden getoond \n";

    objectCount = int(reader.objects.size());
    prepareDrawing(reader.objects);
    reader.objects.clear();
    materials.clear();
    materials.resize(reader.materials.size());
    // Every material naming the same image file or colour shares one texture,
    // here and in every other model of the store.
    Listings listings;
    for (std::size_t i = 0; i < materials.size(); ++i) {
        Material& material = materials[i];
        material.record = std::move(reader.materials[i]);
        if (material.record.textureMap.empty())
            continue;
        // A map that leaves the model's folder, does not exist or is refused
        // keeps the material's colour instead.
        if (leavesModelDirectory(material.record.textureMap)) {
            material.textureProblem = "ligt buiten de map van het model";
            continue;
        }
        material.textureImage = texturePath(file, material.record.textureMap, listings);
        if (material.textureImage.empty()) {
            material.textureProblem = "bestaat niet";
            continue;
        }
        // Each image is read once for all the materials naming it, and its
        // problem told to the first of them.
        material.texture.name = textures.image(material.textureImage, material.textureProblem);
    }
    // Every material without an image texture is drawn in its colour.
    for (Material& material : materials)
        if (material.texture.name == 0)
            material.texture.name = textures.colour(
                material.record.colour[0], material.record.colour[1], material.record.colour[2]);
    std::cout << "Model_3DS : " << file << " inladen is gedaan \n";
}

bool Model_3DS::leavesModelDirectory(const std::string& map) {
    const QString clean = QDir::cleanPath(QString::fromStdString(map));
    return QDir::isAbsolutePath(clean) || clean == QLatin1String("..") ||
           clean.startsWith(QLatin1String("../"));
}

// NOTE: maps are often named in upper case in the file while the file on disk
// is not; a name that does not exist as written matches ignoring case.
// Each directory is listed at most once per model load (listings), however
// many materials name files in it.
std::string Model_3DS::texturePath(const std::string& modelPath, const std::string& map,
                                   Listings& listings) {
    if (leavesModelDirectory(map))
        return std::string();
    const std::size_t separator = modelPath.find_last_of("/\\");
    const std::string directory =
        separator == std::string::npos ? std::string() : modelPath.substr(0, separator + 1);
    // File names are bytes: decoded and encoded as the system does.
    const QString written = QFile::decodeName(QByteArray::fromStdString(directory + map));
    const QFileInfo exact(written);
    if (exact.exists())
        return QFile::encodeName(written).toStdString();
    const QDir folder = exact.dir();
    const std::string key = folder.path().toStdString();
    auto listing = listings.find(key);
    if (listing == listings.end()) {
        std::map<QString, QString> byFolded; // case-folded name -> first entry of that name
        for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            byFolded.emplace(entry.toCaseFolded(), entry);
        listing = listings.emplace(key, std::move(byFolded)).first;
    }
    const auto found = listing->second.find(exact.fileName().toCaseFolded());
    return found == listing->second.end()
               ? std::string()
               : QFile::encodeName(folder.filePath(found->second)).toStdString();
}

// NOTE: a batch keeps its faces in file order, and batches come in the order
// of their first group: only faces of different materials lying exactly on
// one another can show in another order than one draw per group gave.
void Model_3DS::prepareDrawing(const std::vector<Object3DS>& objects) {
    batches.clear();
    std::fill(low, low + 3, INFINITY);
    std::fill(high, high + 3, -INFINITY);
    std::map<std::pair<int, bool>, std::size_t> batchOf; // (material, textured) -> batch
    // Per batch, for the object at hand: its vertex number -> the batch's, plus 1 (0: not yet in).
    std::vector<std::vector<unsigned>> remap;
    for (const Object3DS& object : objects) {
        const std::size_t count = object.vertices.size() / 3;
        for (std::size_t v = 0; v < count; ++v) {
            const auto xyz = object.vertices.record(v);
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], xyz[i]); // NaN leaves either as it is
                high[i] = std::max(high[i], xyz[i]);
            }
        }
        std::vector<float> normals;
        for (std::vector<unsigned>& r : remap)
            r.clear();
        for (const Group3DS& group : object.groups) {
            if (group.drawn.empty())
                continue;
            if (normals.empty())
                normals = vertexNormals(object);
            const auto key = std::make_pair(group.material, object.textured);
            auto found = batchOf.find(key);
            if (found == batchOf.end()) {
                found = batchOf.emplace(key, batches.size()).first;
                batches.push_back({group.material, object.textured, {}, {}, {}, {}});
                remap.emplace_back();
            }
            Batch& batch = batches[found->second];
            std::vector<unsigned>& to = remap[found->second];
            if (to.empty())
                to.assign(count, 0);
            for (const std::uint16_t face : group.drawn) {
                const auto corners = object.faces.record(face);
                if (corners[0] >= count || corners[1] >= count || corners[2] >= count)
                    continue;
                for (const std::uint16_t index : corners) {
                    unsigned& at = to[index];
                    if (at == 0) {
                        const auto xyz = object.vertices.record(index);
                        batch.vertices.insert(batch.vertices.end(), xyz.begin(), xyz.end());
                        const float* normal = &normals[3 * std::size_t(index)];
                        batch.normals.insert(batch.normals.end(), normal, normal + 3);
                        if (object.textured) {
                            const auto uv = object.texCoords.record(index);
                            batch.texCoords.insert(batch.texCoords.end(), uv.begin(), uv.end());
                        }
                        at = unsigned(batch.vertices.size() / 3);
                    }
                    batch.indices.push_back(at - 1);
                }
            }
        }
    }
}

Model_3DS::~Model_3DS() {
    if (batchList && QOpenGLContext::currentContext())
        glDeleteLists(batchList, 1);
}

// The materials carry their own textures: the store is not used.
Bounds Model_3DS::bounds(const TObject& placement) const {
    using BoundsMath::rotate;
    Bounds bounds;
    Box own;
    std::copy(low, low + 3, own.lo);
    std::copy(high, high + 3, own.hi);
    if (!own.known())
        return bounds;
    // draw: translate, rotate about x, y, z, scale.
    const FPoint& scale = placement.scale;
    const FPoint& rotation = placement.rotation;
    const FPoint& position = placement.position;
    BoundsMath::eachCorner(own, [&](float x, float y, float z) {
        float v[3] = {x * scale.x, y * scale.y, z * scale.z};
        rotate(v, rotation.z, 2);
        rotate(v, rotation.y, 1);
        rotate(v, rotation.x, 0);
        bounds.box.add(v[0] + position.x, v[1] + position.y, v[2] + position.z);
    });
    Sphere& s = bounds.sphere;
    s = own.sphere();
    if (!s.known())
        return bounds;
    float v[3] = {s.x * scale.x, s.y * scale.y, s.z * scale.z};
    rotate(v, rotation.z, 2);
    rotate(v, rotation.y, 1);
    rotate(v, rotation.x, 0);
    const float k = std::max({std::fabs(scale.x), std::fabs(scale.y), std::fabs(scale.z)});
    s.x = v[0] + position.x;
    s.y = v[1] + position.y;
    s.z = v[2] + position.z;
    s.radius = s.radius * k + BoundsMath::kMargin;
    return bounds;
}

void Model_3DS::draw(const TObject& placement, const TextureFactory& /*textures*/) {
    const FPoint& position = placement.position;
    const FPoint& rotation = placement.rotation;
    const FPoint& scale = placement.scale;
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    glScalef(scale.x, scale.y, scale.z);
    // A list cannot be made while another is being compiled (a batch of
    // static objects): then the arrays go into that list.
    GLint compiling = 0;
    glGetIntegerv(GL_LIST_INDEX, &compiling);
    if (compiling) {
        drawBatches();
    } else {
        if (!batchList && !batches.empty()) {
            batchList = glGenLists(1);
            glNewList(batchList, GL_COMPILE);
            drawBatches();
            glEndList();
        }
        if (batchList)
            glCallList(batchList);
    }
    glPopMatrix();
}

void Model_3DS::drawBatches() {
    bool untextured = false;
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const Batch& batch : batches) {
        glNormalPointer(GL_FLOAT, 0, batch.normals.data());
        glVertexPointer(3, GL_FLOAT, 0, batch.vertices.data());
        if (batch.textured) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, batch.texCoords.data());
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        if (batch.material >= 0) {
            materials[std::size_t(batch.material)].texture.bind();
        } else {
            glDisable(GL_TEXTURE_2D);
            untextured = true;
        }
        glDrawElements(GL_TRIANGLES, GLsizei(batch.indices.size()), GL_UNSIGNED_INT,
                       batch.indices.data());
    }
    // The arrays point into this model; no later draw may read them unset.
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    // Texturing is left on after every scene object.
    if (untextured)
        glEnable(GL_TEXTURE_2D);
}
