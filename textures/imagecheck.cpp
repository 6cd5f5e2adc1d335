// Image file checks: stat first (never open what is not a regular file),
// then the header through QImageReader, and only then the pixels.
#include "textures/imagecheck.h"

#include <QImageReader>
#include <QSize>
#include <sys/stat.h>

namespace {

QString refused(const QString& path, const QString& what) {
    return path + QStringLiteral(" ") + what;
}

// The stat and header checks; reader is left open on the file when Fine.
ImageFileCheck check(const QString& path, int maxSide, QImageReader& reader) {
    ImageFileCheck result;
    struct stat status;
    const QByteArray native = path.toLocal8Bit();
    if (path.isEmpty() || ::stat(native.constData(), &status) != 0) {
        result.kind = ImageFileCheck::Missing;
        result.problem = refused(path, QStringLiteral("bestaat niet"));
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.kind = ImageFileCheck::NotRegular;
        result.problem = refused(path, QStringLiteral("is geen gewoon bestand"));
        return result;
    }
    if (qint64(status.st_size) > kMaxImageFileBytes) {
        result.kind = ImageFileCheck::TooManyBytes;
        result.problem = refused(path, QStringLiteral("is %1 bytes, meer dan %2")
                                           .arg(qint64(status.st_size))
                                           .arg(kMaxImageFileBytes));
        return result;
    }
    reader.setFileName(path);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) {
        result.kind = ImageFileCheck::Unreadable;
        result.problem = refused(path, QStringLiteral("is geen leesbaar beeld"));
        return result;
    }
    const int side = qBound(1, maxSide, kMaxImageSide);
    const qint64 limit = qint64(side) * side;
    if (qint64(size.width()) * size.height() > limit) {
        result.kind = ImageFileCheck::TooManyPixels;
        result.problem = refused(path, QStringLiteral("is %1 x %2 beeldpunten, meer dan %3 x %3")
                                           .arg(size.width())
                                           .arg(size.height())
                                           .arg(side));
    }
    return result;
}

} // namespace

QString imageFileProblem(const QString& path) {
    return checkImageFile(path).problem;
}

ImageFileCheck checkImageFile(const QString& path, int maxSide) {
    QImageReader reader;
    return check(path, maxSide, reader);
}

QImage readCheckedImage(const QString& path, int maxSide, ImageFileCheck& result) {
    QImageReader reader;
    result = check(path, maxSide, reader);
    if (result.kind != ImageFileCheck::Fine)
        return QImage();
    QImage image;
    // The decoder may still fail on damaged data after a sound header.
    if (!reader.read(&image) || qint64(image.width()) * image.height() > kMaxImagePixels) {
        result.kind = ImageFileCheck::Unreadable;
        result.problem = refused(path, QStringLiteral("is geen leesbaar beeld"));
        return QImage();
    }
    return image;
}
