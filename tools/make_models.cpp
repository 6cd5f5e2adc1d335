// kolvar-make-models: writes the 3DS models of the default world (two cars,
// a tree, a lamp post and a house) and the one image a model names.
//
// Re-run it from the repository root after changing a model, then commit
// what it writes:
//     cmake --build build --target kolvar-make-models
//     ./build/kolvar-make-models maps/models
// The output is the same on every run.
//
// Conventions of the models (the world's axes, y up, in metres):
// - Each model's origin is the centre of its footprint on the ground (y = 0).
// - Cars are 1.6 wide (x), 1.2 high (y) and 3.5 long (z), their front toward
//   +z, so a car with heading 0 drives toward +z.
// - Triangles are counter-clockwise seen from outside; a box side has
//   vertices of its own, so its normals stay flat.
// - The file stores z up: world (x, y, z) is written as (x, -z, y), which
//   the reader turns back.
#include "console/commandline.h"
#include "model3ds/writer3ds.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kRoundSegments = 16; // sides of wheels, trunks and posts

struct V {
    float x, y, z;
};
V operator+(V a, V b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// One object of a model under construction, in world axes.
class Part {
public:
    explicit Part(const std::string& name, bool mapped = false) : mapped(mapped) {
        mesh.name = name;
    }

    // A triangle a, b, c (counter-clockwise from outside) with mapping coordinates.
    void triangle(const std::string& material, V a, V b, V c, float ua = 0, float va = 0,
                  float ub = 0, float vb = 0, float uc = 0, float vc = 0) {
        const std::uint16_t first = std::uint16_t(mesh.vertices.size() / 3);
        for (V p : {a, b, c})
            mesh.vertices.insert(mesh.vertices.end(), {p.x, -p.z, p.y});
        mesh.texCoords.insert(mesh.texCoords.end(), {ua, va, ub, vb, uc, vc});
        const std::uint16_t face = std::uint16_t(mesh.faces.size() / 3);
        mesh.faces.insert(mesh.faces.end(),
                          {first, std::uint16_t(first + 1), std::uint16_t(first + 2)});
        group(material).faces.push_back(face);
    }

    // A quad a, b, c, d (counter-clockwise from outside), the texture once across it.
    void quad(const std::string& material, V a, V b, V c, V d, float repeat = 1) {
        triangle(material, a, b, c, 0, 0, repeat, 0, repeat, repeat);
        triangle(material, a, c, d, 0, 0, repeat, repeat, 0, repeat);
    }

    // An axis-aligned box between two corners.
    void box(const std::string& material, V lo, V hi, float repeat = 1) {
        const V p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                        {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                        {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
        quad(material, p[4], p[5], p[6], p[7], repeat); // +z
        quad(material, p[1], p[0], p[3], p[2], repeat); // -z
        quad(material, p[5], p[1], p[2], p[6], repeat); // +x
        quad(material, p[0], p[4], p[7], p[3], repeat); // -x
        quad(material, p[7], p[6], p[2], p[3], repeat); // +y
        quad(material, p[0], p[1], p[5], p[4], repeat); // -y
    }

    // A closed cylinder around an axis through centre: 'x' or 'y'.
    void cylinder(const std::string& material, V centre, char axis, float radius, float length) {
        auto at = [&](float along, float angle) {
            const float s = radius * std::sin(angle), c = radius * std::cos(angle);
            return axis == 'x' ? centre + V{along, c, s} : centre + V{c, along, -s};
        };
        const float h = length / 2;
        for (int i = 0; i < kRoundSegments; ++i) {
            const float a0 = 2 * kPi * i / kRoundSegments, a1 = 2 * kPi * (i + 1) / kRoundSegments;
            quad(material, at(-h, a0), at(-h, a1), at(h, a1), at(h, a0));
            const V lowEnd = axis == 'x' ? centre + V{-h, 0, 0} : centre + V{0, -h, 0};
            const V highEnd = axis == 'x' ? centre + V{h, 0, 0} : centre + V{0, h, 0};
            triangle(material, highEnd, at(h, a0), at(h, a1));
            triangle(material, lowEnd, at(-h, a1), at(-h, a0));
        }
    }

    // An upright cone from a base circle at base up to its tip.
    void cone(const std::string& material, V base, float radius, float height) {
        const V tip = base + V{0, height, 0};
        for (int i = 0; i < kRoundSegments; ++i) {
            const float a0 = 2 * kPi * i / kRoundSegments, a1 = 2 * kPi * (i + 1) / kRoundSegments;
            const V p0 = base + V{radius * std::cos(a0), 0, -radius * std::sin(a0)};
            const V p1 = base + V{radius * std::cos(a1), 0, -radius * std::sin(a1)};
            triangle(material, p0, p1, tip);
            triangle(material, base, p1, p0);
        }
    }

    // The object for the writer; mapping coordinates only when mapped.
    Writer3DS::Mesh done() const {
        Writer3DS::Mesh out = mesh;
        if (!mapped)
            out.texCoords.clear();
        return out;
    }

private:
    Writer3DS::Mesh::Group& group(const std::string& material) {
        for (Writer3DS::Mesh::Group& g : mesh.groups)
            if (g.material == material)
                return g;
        mesh.groups.push_back({material, {}});
        return mesh.groups.back();
    }

    Writer3DS::Mesh mesh;
    bool mapped;
};

struct Colour {
    float r, g, b;
};

// Writes a model of the given materials and parts to path; false on failure.
bool writeModel(const QString& path, const std::map<std::string, Colour>& colours,
                const std::map<std::string, std::string>& maps, const std::vector<Part>& parts) {
    Writer3DS w;
    w.beginFile();
    for (const auto& [name, colour] : colours) {
        const auto map = maps.find(name);
        w.material(name, colour.r, colour.g, colour.b, map == maps.end() ? "" : map->second);
    }
    for (const Part& part : parts)
        w.object(part.done());
    w.end();
    w.end();
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(w.data(), 1, w.size(), file) == w.size();
    return std::fclose(file) == 0 && ok;
}

// A car: body, cabin with windows, lights and four wheels. Its look is set
// by its paint and by the cabin's length and place (long: an estate car).
bool writeCar(const QString& path, Colour paint, float cabinLength, float cabinBack, bool spoiler) {
    Part body("body");
    body.box("paint", {-0.8f, 0.25f, -1.75f}, {0.8f, 0.8f, 1.75f});
    body.box("bumper", {-0.8f, 0.2f, 1.75f}, {0.8f, 0.4f, 1.8f});
    body.box("bumper", {-0.8f, 0.2f, -1.8f}, {0.8f, 0.4f, -1.75f});
    if (spoiler) {
        body.box("paint", {-0.7f, 1.0f, -1.75f}, {0.7f, 1.05f, -1.5f});
        body.box("bumper", {-0.05f, 0.8f, -1.7f}, {0.05f, 1.0f, -1.6f});
    }
    Part cabin("cabin");
    const float back = -cabinBack, front = back + cabinLength;
    cabin.box("paint", {-0.7f, 0.8f, back}, {0.7f, 0.85f, front});
    cabin.box("glass", {-0.68f, 0.85f, back + 0.02f}, {0.68f, 1.15f, front - 0.02f});
    cabin.box("paint", {-0.7f, 1.15f, back}, {0.7f, 1.2f, front});
    Part lights("lights");
    lights.box("headlight", {-0.7f, 0.55f, 1.75f}, {-0.4f, 0.7f, 1.77f});
    lights.box("headlight", {0.4f, 0.55f, 1.75f}, {0.7f, 0.7f, 1.77f});
    lights.box("taillight", {-0.75f, 0.6f, -1.77f}, {-0.45f, 0.7f, -1.75f});
    lights.box("taillight", {0.45f, 0.6f, -1.77f}, {0.75f, 0.7f, -1.75f});
    Part wheels("wheels");
    for (float x : {-0.7f, 0.7f})
        for (float z : {-1.15f, 1.15f})
            wheels.cylinder("tyre", {x, 0.3f, z}, 'x', 0.3f, 0.2f);
    return writeModel(path,
                      {{"paint", paint},
                       {"bumper", {0.15f, 0.15f, 0.15f}},
                       {"glass", {0.55f, 0.7f, 0.8f}},
                       {"headlight", {1.0f, 1.0f, 0.8f}},
                       {"taillight", {0.7f, 0.05f, 0.05f}},
                       {"tyre", {0.08f, 0.08f, 0.08f}}},
                      {}, {body, cabin, lights, wheels});
}

bool writeTree(const QString& path) {
    Part trunk("trunk");
    trunk.cylinder("bark", {0, 0.75f, 0}, 'y', 0.2f, 1.5f);
    Part crown("crown");
    crown.cone("leaves", {0, 1.2f, 0}, 1.3f, 2.0f);
    crown.cone("leaves", {0, 2.4f, 0}, 0.9f, 1.8f);
    return writeModel(path, {{"bark", {0.4f, 0.26f, 0.13f}}, {"leaves", {0.13f, 0.5f, 0.15f}}}, {},
                      {trunk, crown});
}

bool writeLamp(const QString& path) {
    Part post("post");
    post.cylinder("metal", {0, 0.1f, 0}, 'y', 0.2f, 0.2f);
    post.cylinder("metal", {0, 2.1f, 0}, 'y', 0.07f, 4.0f);
    post.box("metal", {-0.07f, 3.95f, 0}, {0.07f, 4.05f, 0.8f});
    Part lamp("lamp");
    lamp.box("metal", {-0.2f, 3.9f, 0.6f}, {0.2f, 4.05f, 1.0f});
    lamp.box("bulb", {-0.15f, 3.8f, 0.65f}, {0.15f, 3.9f, 0.95f});
    return writeModel(path, {{"metal", {0.3f, 0.32f, 0.35f}}, {"bulb", {1.0f, 0.95f, 0.7f}}}, {},
                      {post, lamp});
}

// A house of 6 x 5 with walls 3 high under a gabled roof; the walls carry a
// siding texture named in upper case, as model files often do.
bool writeHouse(const QString& path) {
    const float w = 3, d = 2.5f, h = 3, top = 4.6f;
    Part walls("walls", true);
    walls.quad("siding", {-w, 0, d}, {w, 0, d}, {w, h, d}, {-w, h, d}, 3);
    walls.quad("siding", {w, 0, -d}, {-w, 0, -d}, {-w, h, -d}, {w, h, -d}, 3);
    walls.quad("siding", {w, 0, d}, {w, 0, -d}, {w, h, -d}, {w, h, d}, 3);
    walls.quad("siding", {-w, 0, -d}, {-w, 0, d}, {-w, h, d}, {-w, h, -d}, 3);
    walls.triangle("siding", {w, h, d}, {w, h, -d}, {w, top, 0}, 0, 0, 2, 0, 1, 1);
    walls.triangle("siding", {-w, h, -d}, {-w, h, d}, {-w, top, 0}, 0, 0, 2, 0, 1, 1);
    walls.box("door", {-0.5f, 0, d}, {0.5f, 2.1f, d + 0.05f});
    walls.box("window", {-2.3f, 1.2f, d}, {-1.3f, 2.2f, d + 0.03f});
    walls.box("window", {1.3f, 1.2f, d}, {2.3f, 2.2f, d + 0.03f});
    Part roof("roof");
    const float eave = 0.3f;
    roof.quad("tiles", {w + eave, h - 0.2f, d + eave}, {w + eave, top, 0}, {-w - eave, top, 0},
              {-w - eave, h - 0.2f, d + eave});
    roof.quad("tiles", {-w - eave, h - 0.2f, -d - eave}, {-w - eave, top, 0}, {w + eave, top, 0},
              {w + eave, h - 0.2f, -d - eave});
    return writeModel(path,
                      {{"siding", {0.85f, 0.8f, 0.7f}},
                       {"door", {0.35f, 0.2f, 0.1f}},
                       {"window", {0.5f, 0.65f, 0.8f}},
                       {"tiles", {0.55f, 0.18f, 0.12f}}},
                      {{"siding", "SIDING.PNG"}}, {walls, roof});
}

// Horizontal boards, light with darker seams; every texel opaque.
bool writeSiding(const QString& path) {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool seam = y % 16 == 15;
            const int grain = (x * 7 + y * 13) % 9;
            image.setPixelColor(
                x, y, seam ? QColor(150, 140, 120) : QColor(225 - grain, 215 - grain, 190 - grain));
        }
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line("kolvar-make-models", "[DIR]",
                     "Schrijft de 3DS-modellen van de standaardwereld in DIR (standaard "
                     "maps/models).");
    int status = 0;
    if (!line.parse(argc, argv, status))
        return status;
    if (line.arguments().size() > 1)
        return line.refuse("slechts een map DIR");
    const QString folder = line.arguments().isEmpty() ? QString("maps/models")
                                                      : QFile::decodeName(line.arguments()[0]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", folder.toLocal8Bit().constData());
        return 1;
    }
    const bool ok = writeCar(folder + "/car_red.3ds", {0.8f, 0.08f, 0.06f}, 1.8f, 0.9f, false) &&
                    writeCar(folder + "/car_blue.3ds", {0.1f, 0.25f, 0.8f}, 2.4f, 1.6f, true) &&
                    writeTree(folder + "/tree.3ds") && writeLamp(folder + "/lamp.3ds") &&
                    writeHouse(folder + "/house.3ds") && writeSiding(folder + "/siding.png");
    if (!ok) {
        std::fprintf(stderr, "cannot write the models in %s\n", folder.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
