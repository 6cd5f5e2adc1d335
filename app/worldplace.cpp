// WorldPlace: locating the world's folder and entering it.
#include "app/worldplace.h"

#include "app/options.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kDefaultMap = "maps/basicMap.xml";

// Lexical clean-up of a path of bytes (".", "..", doubled slashes), as
// QDir::cleanPath does: Latin-1 maps each byte to one character and back.
QByteArray cleanPath(const QByteArray& path) {
    return QDir::cleanPath(QString::fromLatin1(path)).toLatin1();
}

bool isFile(const QByteArray& path) {
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether the system's decoding of the bytes gives them back: only then can
// Qt, which names files by strings, open the file by that name.
bool survivesDecoding(const QByteArray& path) {
    return QFile::encodeName(QFile::decodeName(path)) == path;
}

// A path Qt can open for the file or folder with these bytes: the name
// itself, or else a descriptor's entry in /proc, which the process keeps
// open (O_PATH: nothing is read, a FIFO does not block). The name itself
// when it cannot be opened, so that the loader says why.
QString openablePath(const QByteArray& path) {
    if (survivesDecoding(path))
        return QFile::decodeName(path);
    const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return QFile::decodeName(path);
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

} // namespace

QString WorldPlace::shown(const QByteArray& path) {
    if (survivesDecoding(path))
        return QFile::decodeName(path);
    QString text;
    for (const char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        text += byte < 0x80 ? QString(QChar(byte)) : QStringLiteral("\\x%1").arg(byte, 2, 16);
    }
    return text;
}

QByteArray WorldPlace::installedWorld() {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self);
    if (n <= 0 || n >= ssize_t(sizeof self))
        return QByteArray();
    QByteArray bin(self, int(n));
    bin.truncate(bin.lastIndexOf('/'));
    return cleanPath(bin + "/" KOLVAR_WORLD_FROM_BIN);
}

WorldPlace WorldPlace::locate(const QByteArray& given, const QByteArray& current,
                              const QByteArray& installed) {
    WorldPlace place;
    if (given.isEmpty()) {
        place.map = kDefaultMap;
        place.shownName = kDefaultMap;
        const QByteArray installedMap = installed + "/" + kDefaultMap;
        if (!isFile(current + "/" + kDefaultMap) && !installed.isEmpty() && isFile(installedMap)) {
            place.folder = installed;
            place.shownName = shown(installedMap);
        }
        return place;
    }
    place.map = given;
    place.shownName = shown(given);
    // The nearest folder named maps above the file, on the absolute path.
    const QByteArray absolute = cleanPath(given.startsWith('/') ? given : current + "/" + given);
    const QList<QByteArray> parts = absolute.split('/');
    for (int i = parts.size() - 2; i > 0; --i) {
        if (parts[i] != "maps")
            continue;
        QByteArray folder = parts.mid(0, i).join('/');
        if (folder.isEmpty())
            folder = "/";
        place.map = parts.mid(i).join('/');
        if (folder != cleanPath(current))
            place.folder = folder;
        break;
    }
    return place;
}

bool WorldPlace::enter(Options& options, QString& problem) const {
    if (!folder.isEmpty()) {
        // The folder the user started from stays reachable for screenshots
        // whatever its name: a descriptor of it, kept open.
        const int start = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (::chdir(folder.constData()) != 0) {
            const int error = errno;
            problem = "kan niet werken vanuit " + shown(folder) + ": " +
                      (error == ENOENT ? QString("bestaat niet")
                                       : QString::fromLocal8Bit(std::strerror(error)));
            if (start >= 0)
                ::close(start);
            return false;
        }
        if (start >= 0)
            options.screenshotFolder = QStringLiteral("/proc/self/fd/%1").arg(start);
    }
    options.mapPath = openablePath(map);
    options.mapName = shownName;
    return true;
}
