// XmlHandler: reads one map file, within bounds, into a DOM document and
// hands the section readers the element that opens each section.
//
// Bounds, so that no file can hang or exhaust the program: only regular
// files are read (a FIFO or device is refused without blocking), at most
// kMaxFileBytes; the file is closed before parsing; and a streaming pass
// refuses nesting deeper than kMaxDepth, more than kMaxElements elements and
// more than kMaxNodes elements and attributes together before the (recursive, memory-hungry) DOM
// parser sees the text. External entities are never read.
#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <map>
#include <memory>

class XmlHandler {
public:
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024; // a 100,000-object map is ~15 MB
    static constexpr int kMaxDepth = 256;                     // element nesting levels
    // A 100,000-object map holds 300,000 to 400,000 elements and about
    // 1,600,000 elements and attributes; the DOM needs some 0.5 KB for each
    // of either, so these bound one file's tree near 1.5 GB.
    static constexpr qint64 kMaxElements = 1000000;
    static constexpr qint64 kMaxNodes = 3000000;

    XmlHandler() = default;
    virtual ~XmlHandler();
    XmlHandler(const XmlHandler&) = delete;
    XmlHandler& operator=(const XmlHandler&) = delete;

    // Reads and parses the file (path relative to the working directory).
    // On failure prints the program's usual line ("Den fileerror is : " or
    // "XMLHANDLER LOAD ... kan setContent niet doen"), keeps the reason in
    // problem() and its place in problemLine()/problemColumn(), and returns false.
    bool load(const QString& fileName, const QString& documentName);
    // True when the failure was in opening or reading, not in parsing.
    bool openFailed() const { return notOpened; }
    const QString& problem() const { return reason; }
    int problemLine() const { return line; }
    int problemColumn() const { return column; }

    // The first element of this name anywhere in the document, or a null node.
    QDomNode firstElementByTagName(const QString& tagName) const;
    // The section element of this name: the root's own child of that name
    // when it has one, else the first element of that name anywhere (for
    // one of the six section names only).
    QDomElement sectionElement(const QString& tagName) const;
    QDomElement root() const;

private:
    bool readBounded(const QString& fileName, QByteArray& bytes);
    bool withinLimits(const QByteArray& bytes);

    QDomDocument* document = nullptr;
    unsigned sectionsPresent = 0; // one bit per section name that occurs anywhere in the file
    QString reason;               // why load failed, Dutch
    int line = 1;
    int column = 1;
    bool notOpened = false;
};
