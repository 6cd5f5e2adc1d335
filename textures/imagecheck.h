// Image file checks made before any image is decoded, so no texture file can
// hang the program (a FIFO or device), fill its memory (a small file that
// decodes to gigabytes) or be read without bound; then the decode itself,
// whose complaints (a truncated or corrupt file) name the file. GL-free: the
// map checker calls it without a display; the texture code adds the GL
// implementation's own texture size limit.
#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

// Largest image file read, bytes on disk: a 4096 x 4096 BMP of 32 bits a
// pixel fits, with room to spare.
constexpr qint64 kMaxImageFileBytes = 128LL * 1024 * 1024;
// Largest image decoded, pixels: 4096 x 4096 (64 MB as 32-bit RGBA).
constexpr int kMaxImageSide = 4096;
constexpr qint64 kMaxImagePixels = qint64(kMaxImageSide) * kMaxImageSide;

// What is wrong with an image file, if anything.
struct ImageFileCheck {
    enum Kind {
        Fine,          // the file can be decoded
        Missing,       // nothing by that name
        LinkLoop,      // symbolic links that lead back to themselves
        NotRegular,    // a directory, FIFO, device or socket
        NoPermission,  // the file may not be read
        TooManyBytes,  // more than kMaxImageFileBytes on disk
        Unreadable,    // no image format recognises it
        TooManyPixels, // its header claims more pixels, or more of a side, than the limit
        Damaged,       // the decoder failed or complained (truncated, corrupt data)
    };
    // The file cannot be read at all (the texture factory says so on the console).
    bool unreadable() const {
        return kind == Missing || kind == LinkLoop || kind == NoPermission || kind == Unreadable ||
               kind == Damaged;
    }
    Kind kind = Fine;
    QString problem; // Dutch, names the file and the limit ("F is geen gewoon bestand"); empty when
                     // Fine
};

// Why this image file cannot serve as a texture, or an empty string if it
// can: the checks of checkImageFile, then the whole image decoded, as the
// window does.
QString imageFileProblem(const QString& path);

// The checks made before decoding, with a limit of maxSide on each side
// (clamped to kMaxImageSide): the file's type and size are checked with
// stat before it is opened, then only the image header is read.
ImageFileCheck checkImageFile(const QString& path, int maxSide = kMaxImageSide);

// Decodes the image after checkImageFile passed it; a null image otherwise,
// with the reason in check. A decoder that complains (Qt's "Corrupt JPEG
// data" warnings) makes the image Damaged, its words in the problem, and
// they are not printed on their own.
QImage readCheckedImage(const QString& path, int maxSide, ImageFileCheck& check);
