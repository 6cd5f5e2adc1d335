// XmlHandler: opens and parses one map file into a DOM document and hands the
// section readers the first element of a tag name.
#pragma once

#include <QDomNode>
#include <QString>

class QDomDocument;
class QFile;

class XmlHandler {
public:
    XmlHandler() = default;
    virtual ~XmlHandler();
    XmlHandler(const XmlHandler&) = delete;
    XmlHandler& operator=(const XmlHandler&) = delete;

    // Opens and parses the file (path relative to the working directory).
    // Prints the file error or the parse error and returns false on failure.
    bool load(const QString& fileName, const QString& documentName);
    // The first element of this name anywhere in the document, or a null node.
    QDomNode firstElementByTagName(const QString& tagName) const;

private:
    QDomDocument* document = nullptr;
    QFile* file = nullptr;
};
