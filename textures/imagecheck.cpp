// Image file checks: stat first (never open what is not a regular file),
// then the header through QImageReader, and only then the pixels, with the
// decoder's own complaints caught and named.
#include "textures/imagecheck.h"

#include <QImageReader>
#include <QSize>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString refused(const QString& path, const QString& what) {
    return path + QStringLiteral(" ") + what;
}

// Qt's messages while one image is decoded, kept instead of printed. The
// decode runs on the GUI thread, one image at a time.
QStringList* decoderMessages = nullptr;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (decoderMessages)
        decoderMessages->append(message.trimmed());
}

// Keeps Qt's messages in messages while it lives (the header is read in
// check, the pixels in read, and either may complain). libpng's errors go
// past Qt, straight to standard error ("libpng error: Read Error"): standard
// error goes to a file in memory meanwhile, libpng's lines join the
// messages, and anything else written there is passed on when it ends.
class KeptMessages {
public:
    explicit KeptMessages(QStringList& messages)
        : messages(messages), previous(qInstallMessageHandler(keepMessage)) {
        decoderMessages = &messages;
        std::fflush(stderr);
        kept = ::memfd_create("kolvar-decoder", MFD_CLOEXEC);
        if (kept >= 0)
            savedStderr = ::dup(STDERR_FILENO);
        if (savedStderr >= 0 && ::dup2(kept, STDERR_FILENO) < 0) {
            ::close(savedStderr);
            savedStderr = -1;
        }
    }
    ~KeptMessages() { finish(); }
    // Gives Qt its handler and standard error back; the messages are complete.
    void finish() {
        if (done)
            return;
        done = true;
        qInstallMessageHandler(previous);
        decoderMessages = nullptr;
        if (savedStderr < 0) {
            if (kept >= 0)
                ::close(kept);
            return;
        }
        std::fflush(stderr);
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
        QByteArray text;
        char buffer[4096];
        ::lseek(kept, 0, SEEK_SET);
        for (ssize_t n; (n = ::read(kept, buffer, sizeof buffer)) > 0;)
            text.append(buffer, int(n));
        ::close(kept);
        QByteArray others;
        for (const QByteArray& line : text.split('\n')) {
            if (line.startsWith("libpng "))
                messages.append(QString::fromLocal8Bit(line).trimmed());
            else if (!line.isEmpty())
                others += line + '\n';
        }
        for (qint64 done = 0; done < others.size();) {
            const ssize_t n = ::write(STDERR_FILENO, others.constData() + done,
                                      std::size_t(others.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
    }
    KeptMessages(const KeptMessages&) = delete;
    KeptMessages& operator=(const KeptMessages&) = delete;

private:
    QStringList& messages;
    QtMessageHandler previous;
    int kept = -1;        // the file in memory that takes standard error
    int savedStderr = -1; // standard error itself, while it is taken
    bool done = false;
};

// The stat and header checks; reader is left open on the file when Fine.
ImageFileCheck check(const QString& path, int maxSide, QImageReader& reader) {
    ImageFileCheck result;
    struct stat status;
    const QByteArray native = path.toLocal8Bit();
    if (path.isEmpty() || ::stat(native.constData(), &status) != 0) {
        const bool loop = !path.isEmpty() && errno == ELOOP;
        result.kind = loop ? ImageFileCheck::LinkLoop : ImageFileCheck::Missing;
        result.problem =
            refused(path, loop ? QStringLiteral("is een lus van symbolische koppelingen")
                               : QStringLiteral("bestaat niet"));
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.kind = ImageFileCheck::NotRegular;
        result.problem =
            refused(path, S_ISDIR(status.st_mode) ? QStringLiteral("is een map, geen bestand")
                                                  : QStringLiteral("is geen gewoon bestand"));
        return result;
    }
    // Opened once to learn whether it may be read: a regular file does not block.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.kind = errno == EACCES ? ImageFileCheck::NoPermission : ImageFileCheck::Unreadable;
        result.problem =
            refused(path, errno == EACCES ? QStringLiteral("mag niet gelezen worden (geen toegang)")
                                          : QStringLiteral("kan niet geopend worden"));
        return result;
    }
    ::close(fd);
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
    } else if (size.width() > side || size.height() > side) {
        // No GL texture is wider or taller than the driver's largest side.
        result.kind = ImageFileCheck::TooManyPixels;
        result.problem =
            refused(path, QStringLiteral("is %1 x %2 beeldpunten, breder of hoger dan %3")
                              .arg(size.width())
                              .arg(size.height())
                              .arg(side));
    }
    return result;
}

} // namespace

QString imageFileProblem(const QString& path) {
    ImageFileCheck result;
    readCheckedImage(path, kMaxImageSide, result);
    return result.problem;
}

ImageFileCheck checkImageFile(const QString& path, int maxSide) {
    QStringList messages;
    const KeptMessages kept(messages);
    QImageReader reader;
    return check(path, maxSide, reader);
}

QImage readCheckedImage(const QString& path, int maxSide, ImageFileCheck& result) {
    QStringList messages;
    KeptMessages kept(messages);
    QImageReader reader;
    result = check(path, maxSide, reader);
    if (result.kind != ImageFileCheck::Fine)
        return QImage();
    QImage image;
    const bool read = reader.read(&image);
    kept.finish();
    // The decoder may still fail on damaged data after a sound header, or
    // complain and hand back what it could read (grey where data is missing).
    if (!read || !messages.isEmpty() || qint64(image.width()) * image.height() > kMaxImagePixels) {
        QString words = !messages.isEmpty() ? messages.join("; ") : reader.errorString();
        result.kind = ImageFileCheck::Damaged;
        result.problem = refused(path, "is beschadigd (" + words + ")");
        return QImage();
    }
    return image;
}
