// XmlHandler: one map file, read within bounds and checked against the
// limits before it is parsed.
#include "mapfile/xmlhandler.h"

#include "console/narration.h"

#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

XmlHandler::~XmlHandler() = default;

// NOTE: opened non-blocking and judged by fstat on the open descriptor, so a
// FIFO neither blocks in open() nor is swapped in after a check by name.
bool XmlHandler::readBounded(const QString& fileName, QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        reason = error == ENOENT    ? QString("bestaat niet")
                 : error == EACCES  ? QString("geen leesrechten")
                 : error == ELOOP   ? QString("is een lus van symbolische koppelingen")
                 : error == ENOTDIR ? QString("een deel van het pad is geen map")
                                    : QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    struct stat info;
    bool ok = false;
    if (::fstat(fd, &info) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    else if (S_ISDIR(info.st_mode))
        reason = "is een map, geen bestand";
    else if (!S_ISREG(info.st_mode))
        reason = "is geen gewoon bestand";
    else if (info.st_size > kMaxFileBytes)
        reason =
            QString("is te groot (%1 bytes, hoogstens %2)").arg(info.st_size).arg(kMaxFileBytes);
    else
        ok = true;
    if (ok) {
        bytes.resize(int(info.st_size));
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        bytes.resize(int(done)); // a file that shrank while read is parsed as it was
    }
    ::close(fd);
    return ok;
}

namespace {

// Where a scan of the markup stopped.
enum class Scan { Done, TooDeep, TooMany, TooManyNodes, TooManyAttributes, Unsure };

// Measures nesting and counts elements and attributes by a scan of the bytes, some ten times
// faster than a streaming parse. Exact for every well-formed document in an
// ASCII-compatible encoding without a document type declaration (whose
// entities could expand to markup the scan cannot see): for anything else it
// answers Unsure, but the attributes of each tag as written are still
// counted. offset is where a limit was passed.
Scan scanMarkup(const QByteArray& bytes, int maxDepth, qint64 maxElements, qint64 maxNodes,
                int maxAttributes, qint64& offset) {
    const char* data = bytes.constData();
    const qint64 n = bytes.size();
    if (n >= 2 && (data[0] == '\0' || data[1] == '\0' || uchar(data[0]) >= 0xfe))
        return Scan::Unsure; // UTF-16 or UTF-32
    // The index of the first occurrence of text at or after from, or n.
    auto find = [&](qint64 from, const char* text) {
        const std::size_t length = std::strlen(text);
        for (qint64 at = from; at + qint64(length) <= n; ++at) {
            const void* hit = std::memchr(data + at, text[0], std::size_t(n - at));
            if (!hit)
                break;
            at = static_cast<const char*>(hit) - data;
            if (at + qint64(length) <= n && std::memcmp(data + at, text, length) == 0)
                return at;
        }
        return n;
    };
    int depth = 0;
    qint64 elements = 0;
    qint64 nodes = 0; // elements and attributes
    bool unsure = false;
    for (qint64 i = find(0, "<"); i + 1 < n; i = find(i, "<")) {
        const char next = data[i + 1];
        if (next == '?') {
            i = find(i + 2, "?>") + 2;
        } else if (next == '!') {
            if (bytes.mid(int(i), 4) == "<!--") {
                i = find(i + 4, "-->") + 3;
            } else if (bytes.mid(int(i), 9) == "<![CDATA[") {
                i = find(i + 9, "]]>") + 3;
            } else {
                // A document type declaration: past its internal subset, if any.
                unsure = true;
                const qint64 close = find(i + 2, ">");
                const qint64 open = find(i + 2, "[");
                i = open < close ? find(find(open, "]"), ">") + 1 : close + 1;
            }
        } else if (next == '/') {
            --depth;
            i = find(i + 2, ">") + 1;
        } else {
            offset = i;
            qint64 nameEnd = i + 1;
            while (nameEnd < n && !std::strchr(" \t\r\n/>", data[nameEnd]))
                ++nameEnd;
            qint64 end = nameEnd;
            qint64 attributes = 0; // one value in quotes each
            while (end < n && data[end] != '>') {
                if (data[end] == '"' || data[end] == '\'') {
                    end = find(end + 1, data[end] == '"' ? "\"" : "'");
                    ++attributes;
                }
                ++end;
            }
            if (end >= n)
                break; // an unterminated tag: the parser names the error
            // The XML parser checks each attribute against all earlier ones
            // of its tag: time in the square of their number.
            if (attributes > maxAttributes)
                return Scan::TooManyAttributes;
            if (unsure) {
                i = end + 1;
                continue;
            }
            if (++elements > maxElements)
                return Scan::TooMany;
            if ((nodes += 1 + attributes) > maxNodes)
                return Scan::TooManyNodes;
            if (data[end - 1] != '/' && ++depth > maxDepth)
                return Scan::TooDeep;
            i = end + 1;
        }
    }
    return unsure ? Scan::Unsure : Scan::Done;
}

} // namespace

bool XmlHandler::withinLimits() {
    qint64 offset = 0;
    const Scan scan =
        scanMarkup(content, kMaxDepth, kMaxElements, kMaxNodes, kMaxAttributes, offset);
    if (scan == Scan::Done || scan == Scan::Unsure) {
        // Unsure: entities may expand to markup, so the stream counts.
        unsureCounts = scan == Scan::Unsure;
        return true;
    }
    const int lineStart = content.lastIndexOf('\n', int(offset)) + 1;
    line = content.left(int(offset)).count('\n') + 1;
    column = QString::fromUtf8(content.mid(lineStart, int(offset) - lineStart)).size() + 1;
    reason = scan == Scan::TooDeep
                 ? QString("elementen zijn dieper dan %1 niveaus genest").arg(kMaxDepth)
             : scan == Scan::TooMany ? QString("meer dan %1 elementen").arg(kMaxElements)
             : scan == Scan::TooManyAttributes
                 ? QString("een element heeft meer dan %1 attributen").arg(kMaxAttributes)
                 : QString("meer dan %1 elementen en attributen samen").arg(kMaxNodes);
    return false;
}

bool XmlHandler::load(const QString& fileName) {
    name = fileName;
    if (!readBounded(fileName, content)) {
        notOpened = true;
        if (narration::on())
            std::cout << "Den fileerror is : " << int(QFile::OpenError) << "\n";
        return false;
    }
    if (!withinLimits()) {
        printParseFailure();
        return false;
    }
    return true;
}

void XmlHandler::printParseFailure() const {
    std::cout << "XMLHANDLER LOAD " << name.toStdString() << ": kan setContent niet doen\n";
}

bool XmlHandler::streamFailed(const QXmlStreamReader& stream) {
    if (!stream.hasError())
        return false;
    reason = stream.errorString();
    line = std::max(1, int(stream.lineNumber()));
    column = int(stream.columnNumber()) + 1;
    printParseFailure();
    return true;
}

void XmlHandler::refuse(const QString& why, int atLine, int atColumn) {
    reason = why;
    line = atLine;
    column = atColumn;
    printParseFailure();
}
