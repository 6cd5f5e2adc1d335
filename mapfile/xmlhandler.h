// XmlHandler: reads one map file, within bounds, for the map loader's
// streaming pass, and prints the design's two lines when it cannot.
//
// Bounds, so that no file can hang or exhaust the program: only regular
// files are read (a FIFO or device is refused without blocking), at most
// kMaxFileBytes; and a scan of the bytes refuses nesting deeper than
// kMaxDepth, more than kMaxElements elements, more than kMaxNodes elements
// and attributes together, and a tag of more than kMaxAttributes attributes
// (the XML parser takes time in the square of one tag's attributes) before
// the parser sees the text. External entities are never read.
#pragma once

#include <QByteArray>
#include <QString>

class QXmlStreamReader;

class XmlHandler {
public:
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024; // a 100,000-object map is ~15 MB
    static constexpr int kMaxDepth = 256;                     // element nesting levels
    // A 100,000-object map holds 300,000 to 400,000 elements and about
    // 1,600,000 elements and attributes.
    static constexpr qint64 kMaxElements = 1000000;
    static constexpr qint64 kMaxNodes = 3000000;
    static constexpr int kMaxAttributes = 1000; // of one tag; a map element has at most 7

    XmlHandler() = default;
    virtual ~XmlHandler();
    XmlHandler(const XmlHandler&) = delete;
    XmlHandler& operator=(const XmlHandler&) = delete;

    // Reads the file (path relative to the working directory) and checks the
    // limits. On failure prints the program's usual line ("Den fileerror is : "
    // or "XMLHANDLER LOAD ... kan setContent niet doen"), keeps the reason in
    // problem() and its place in problemLine()/problemColumn(), and returns
    // false.
    bool load(const QString& fileName);
    // The bytes read, for the loader's streaming pass.
    const QByteArray& bytes() const { return content; }
    // True when the stream found the text not well-formed; then prints the
    // parse failure line and keeps the reason and place, like load.
    bool streamFailed(const QXmlStreamReader& stream);
    // The stream passed a limit that the scan could not count (a document
    // type's entities): the file is refused like one not well-formed.
    void refuse(const QString& why, int atLine, int atColumn);
    // The scan could not count exactly: the stream must check the limits.
    bool countWhileStreaming() const { return unsureCounts; }

    // True when the failure was in opening or reading, not in parsing.
    bool openFailed() const { return notOpened; }
    const QString& problem() const { return reason; }
    int problemLine() const { return line; }
    int problemColumn() const { return column; }

private:
    bool readBounded(const QString& fileName, QByteArray& bytes);
    bool withinLimits();
    void printParseFailure() const;

    QString name;
    QByteArray content;
    bool unsureCounts = false;
    QString reason; // why load failed, Dutch (parse errors in Qt's words)
    int line = 1;
    int column = 1;
    bool notOpened = false;
};
