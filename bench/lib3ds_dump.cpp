// lib3ds-dump: reads each 3DS file given with lib3ds, the common C reader,
// and prints its mesh, vertex and face counts. The peer our reader is timed
// against as a whole process; built only with the benchmarks.
//
//     build-bench/bench/lib3ds-dump FILE.3ds...
#include <cstdio>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

int main(int argc, char** argv) {
    int status = argc < 2 ? 2 : 0;
    for (int i = 1; i < argc; ++i) {
        Lib3dsFile* file = lib3ds_file_load(argv[i]);
        if (!file) {
            std::printf("%s\n  cannot be read\n", argv[i]);
            status = 2;
            continue;
        }
        unsigned long meshes = 0, points = 0, faces = 0;
        for (const Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next) {
            ++meshes;
            points += mesh->points;
            faces += mesh->faces;
        }
        std::printf("%s\n  %lu objects, %lu vertices, %lu faces\n", argv[i], meshes, points, faces);
        lib3ds_file_free(file);
    }
    return status;
}
