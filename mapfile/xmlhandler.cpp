// XmlHandler: one map file, read within bounds and parsed into a DOM document.
#include "mapfile/xmlhandler.h"

#include <QFile>
#include <QXmlStreamReader>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

XmlHandler::~XmlHandler() {
    delete document;
}

// NOTE: opened non-blocking and judged by fstat on the open descriptor, so a
// FIFO neither blocks in open() nor is swapped in after a check by name.
bool XmlHandler::readBounded(const QString& fileName, QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        reason = error == ENOENT   ? QString("bestaat niet")
                 : error == EACCES ? QString("geen leesrechten")
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

// The streaming reader is iterative, so this pass is safe on any nesting;
// the DOM parser that follows recurses once per level.
bool XmlHandler::withinLimits(const QByteArray& bytes) {
    QXmlStreamReader stream(bytes);
    int depth = 0;
    qint64 nodes = 0;
    while (!stream.atEnd()) {
        const QXmlStreamReader::TokenType token = stream.readNext();
        if (token == QXmlStreamReader::StartElement) {
            nodes += 1 + stream.attributes().size();
            if (++depth > kMaxDepth)
                reason = QString("elementen zijn dieper dan %1 niveaus genest").arg(kMaxDepth);
            else if (nodes > kMaxNodes)
                reason = QString("meer dan %1 elementen en attributen").arg(kMaxNodes);
            else
                continue;
            line = int(stream.lineNumber());
            column = int(stream.columnNumber());
            return false;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return true; // a parse error is left to the DOM parser, which names it
}

bool XmlHandler::load(const QString& fileName, const QString& documentName) {
    document = new QDomDocument(documentName);
    QByteArray bytes;
    if (!readBounded(fileName, bytes)) {
        notOpened = true;
        std::cout << "Den fileerror is : " << int(QFile::OpenError) << "\n";
        return false;
    }
    QString message;
    bool parsed = withinLimits(bytes);
    if (parsed) {
        parsed = document->setContent(bytes, false, &message, &line, &column);
        reason = message;
    }
    if (!parsed) {
        std::cout << "XMLHANDLER LOAD " << fileName.toStdString() << ": kan setContent niet doen\n";
        return false;
    }
    return true;
}

QDomNode XmlHandler::firstElementByTagName(const QString& tagName) const {
    if (!document)
        return QDomNode();
    QDomNodeList list = document->elementsByTagName(tagName);
    return list.isEmpty() ? QDomNode() : list.item(0);
}

QDomElement XmlHandler::sectionElement(const QString& tagName) const {
    const QDomElement own = root().firstChildElement(tagName);
    return own.isNull() ? firstElementByTagName(tagName).toElement() : own;
}

QDomElement XmlHandler::root() const {
    return document ? document->documentElement() : QDomElement();
}
