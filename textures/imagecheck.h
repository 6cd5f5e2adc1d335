// Image file checks made before any image is decoded, so no texture file can
// hang the program (a FIFO or device), fill its memory (a small file that
// decodes to gigabytes) or be read without bound. GL-free: the map checker
// calls it without a display; the texture code adds the GL implementation's
// own texture size limit.
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
        NotRegular,    // a directory, FIFO, device or socket
        TooManyBytes,  // more than kMaxImageFileBytes on disk
        Unreadable,    // no image format recognises it
        TooManyPixels, // its header claims more pixels than the limit
    };
    Kind kind = Fine;
    QString problem; // Dutch, names the file and the limit ("F is geen gewoon bestand"); empty when
                     // Fine
};

// Why this image file cannot serve as a texture, or an empty string if it can.
QString imageFileProblem(const QString& path);

// The checks of imageFileProblem with a pixel limit of maxSide x maxSide
// (clamped to kMaxImagePixels): the file's type and size are checked with
// stat before it is opened, then only the image header is read.
ImageFileCheck checkImageFile(const QString& path, int maxSide = kMaxImageSide);

// Decodes the image after checkImageFile passed it; a null image otherwise,
// with the reason in check.
QImage readCheckedImage(const QString& path, int maxSide, ImageFileCheck& check);
