// libFuzzer entry: any bytes as a map file, read and checked as `kolvar
// --check` does, without its images and models. The file stands at
// maps/fuzz.xml in a folder of its own, so an include may name it again
// (a cycle) or name files that do not exist.
#include "mapfile/mapcheck.h"
#include "mapfile/maploader.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        // The lines a map's problems print are not what is looked for.
        if (!std::freopen("/dev/null", "w", stdout))
            std::abort();
        // A folder per process, so that workers of one run (-jobs) keep apart.
        const QString folder =
            QDir::temp().filePath("kolvar-fuzz-map-" + QString::number(::getpid()));
        return QDir().mkpath(folder + "/maps") && QDir::setCurrent(folder);
    }();
    if (!ready)
        std::abort();
    QFile file("maps/fuzz.xml");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();
    MapLoader loader;
    loader.load("maps/fuzz.xml");
    MapCheck::check(loader.data(), loader.diagnostics());
    loader.diagnostics().finish();
    return 0;
}
