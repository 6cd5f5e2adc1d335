// kolvar-3ds: prints what each 3DS file given holds (objects, groups,
// materials) and every problem the reader found in it, so a map author can
// see why a model looks wrong. Exits 0 when every file is whole, 1 when one
// is damaged, 2 when one cannot be opened, changes while it is read or is
// too large (or no file is given).
//
//     build/kolvar-3ds maps/models/car_red.3ds ...
#include "console/commandline.h"
#include "console/printable.h"
#include "model3ds/problems3ds.h"
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
        std::printf("  %ju bytes, meer dan de %ju die een model mag hebben: niet gelezen\n",
                    reader.fileBytes, Reader3DS::kMaxFileBytes);
        return 2;
    }
    if (reader.changed) {
        std::printf("  veranderde tijdens het lezen (een ander programma schrijft het): niet "
                    "gelezen, probeer opnieuw\n");
        return 2;
    }
    if (!reader.opened) {
        std::printf("  kan niet geopend worden\n");
        return 2;
    }
    std::printf("  %zu objecten\n", reader.objects.size());
    for (const Object3DS& object : reader.objects) {
        std::printf("    \"%s\": %d hoekpunten, %d vlakken, %zu textuurcoordinaten%s, %zu groepen",
                    printable(object.name).c_str(), object.vertexCount(), object.faceCount(),
                    object.texCoords.size() / 2, object.textured ? "" : " (zonder textuur)",
                    object.groups.size());
        if (const std::size_t ungrouped = ungroupedFaces(object))
            std::printf(", %zu vlakken in geen groep (niet getekend)", ungrouped);
        std::printf("\n");
        for (const Group3DS& group : object.groups) {
            std::printf("      groep \"%s\"", printable(group.materialName).c_str());
            if (group.material >= 0)
                std::printf(" (materiaal %d)", group.material);
            else
                std::printf(" (geen zulk materiaal)");
            std::printf(": %zu vlaknummers, %zu vlakken getekend\n", group.faces.size(),
                        group.drawn.size());
        }
    }
    std::printf("  %zu materialen\n", reader.materials.size());
    for (std::size_t i = 0; i < reader.materials.size(); ++i) {
        const Material3DS& material = reader.materials[i];
        std::printf("    %zu \"%s\": kleur %u %u %u", i, printable(material.name).c_str(),
                    unsigned(material.colour[0]), unsigned(material.colour[1]),
                    unsigned(material.colour[2]));
        if (!material.textureMap.empty())
            std::printf(", textuur \"%s\"", printable(material.textureMap).c_str());
        std::printf("\n");
    }
    std::printf("  %zu problemen\n", reader.problemCount);
    for (const std::string& line : reader.problems)
        std::printf("    %s\n", dutchProblem3DS(line).c_str());
    if (reader.problemCount > reader.problems.size())
        std::printf("    ... en nog %zu\n", reader.problemCount - reader.problems.size());
    return reader.damaged() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line out as it is written
    CommandLine line("kolvar-3ds", "FILE...",
                     "Toont wat elk 3DS-bestand bevat en elk probleem erin.\n"
                     "\n"
                     "Status 0: alle bestanden heel, 1: een bestand beschadigd, 2: een bestand "
                     "niet te openen, veranderd tijdens het lezen of te groot.");
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
