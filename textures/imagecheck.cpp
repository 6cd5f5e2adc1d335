// Image checks: the file exists, is a regular file and has a readable header.
#include "textures/imagecheck.h"

#include <QFileInfo>
#include <QImageReader>

QString imageFileProblem(const QString& path) {
    if (path.isEmpty())
        return "geen bestandsnaam";
    const QFileInfo info(path);
    if (!info.exists())
        return "bestaat niet";
    if (info.isDir())
        return "is een map, geen bestand";
    if (!info.isFile())
        return "is geen gewoon bestand";
    QImageReader reader(path);
    if (!reader.canRead())
        return "is geen leesbaar beeld (" + reader.errorString() + ")";
    return QString();
}
