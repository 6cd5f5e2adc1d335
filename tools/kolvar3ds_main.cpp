// kolvar-3ds: prints what each 3DS file given holds (objects, groups,
// materials) and every problem the reader found in it, so a map author can
// see why a model looks wrong. Exits 0 when every file is whole, 1 when one
// is damaged, 2 when one cannot be opened or is too large (or no file is
// given).
//
//     build/kolvar-3ds maps/models/car_red.3ds ...
#include "app/commandline.h"
#include "console/printable.h"
#include "model3ds/reader3ds.h"

#include <cstdio>
#include <string>

namespace {

// Prints one file's records and problems; the exit status it calls for.
int report(const char* path) {
    Reader3DS reader;
    reader.readFile(path);
    std::printf("%s\n", path);
    if (reader.tooLarge) {
        std::printf("  %ju bytes, more than the %ju a model may have: not read\n", reader.fileBytes,
                    Reader3DS::kMaxFileBytes);
        return 2;
    }
    if (!reader.opened) {
        std::printf("  cannot be opened\n");
        return 2;
    }
    std::printf("  %zu objects\n", reader.objects.size());
    for (const Object3DS& object : reader.objects) {
        std::printf("    \"%s\": %d vertices, %d faces, %zu mapping coordinates%s, %zu groups\n",
                    printable(object.name).c_str(), object.vertexCount(), object.faceCount(),
                    object.texCoords.size() / 2, object.textured ? "" : " (untextured)",
                    object.groups.size());
        for (const Group3DS& group : object.groups) {
            std::printf("      group \"%s\"", printable(group.materialName).c_str());
            if (group.material >= 0)
                std::printf(" (material %d)", group.material);
            else
                std::printf(" (no such material)");
            std::printf(": %zu face numbers, %zu faces drawn\n", group.faces.size(),
                        group.drawn.size());
        }
    }
    std::printf("  %zu materials\n", reader.materials.size());
    for (std::size_t i = 0; i < reader.materials.size(); ++i) {
        const Material3DS& material = reader.materials[i];
        std::printf("    %zu \"%s\": colour %u %u %u", i, printable(material.name).c_str(),
                    unsigned(material.colour[0]), unsigned(material.colour[1]),
                    unsigned(material.colour[2]));
        if (!material.textureMap.empty())
            std::printf(", texture map \"%s\"", printable(material.textureMap).c_str());
        std::printf("\n");
    }
    std::printf("  %zu problems\n", reader.problemCount);
    for (const std::string& line : reader.problems)
        std::printf("    %s\n", line.c_str());
    if (reader.problemCount > reader.problems.size())
        std::printf("    ... and %zu more\n", reader.problemCount - reader.problems.size());
    return reader.damaged() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line("kolvar-3ds", "FILE...",
                     "Toont wat elk 3DS-bestand bevat en elk probleem erin.\n"
                     "\n"
                     "Status 0: alle bestanden heel, 1: een bestand beschadigd, 2: een bestand "
                     "niet te openen of te groot.");
    int status = 0;
    if (!line.parse(argc, argv, status))
        return status;
    if (line.arguments().isEmpty())
        return line.refuse("geen bestand gegeven");
    for (const QByteArray& file : line.arguments()) {
        const int result = report(file.constData());
        if (result > status)
            status = result;
    }
    return status;
}
