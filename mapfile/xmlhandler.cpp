// XmlHandler: one map file, parsed into a DOM document.
#include "mapfile/xmlhandler.h"

#include <QDomDocument>
#include <QFile>
#include <iostream>

XmlHandler::~XmlHandler() {
    delete document;
    delete file;
}

bool XmlHandler::load(const QString& fileName, const QString& documentName) {
    document = new QDomDocument(documentName);
    file = new QFile(fileName);
    if (!file->open(QIODevice::ReadOnly)) {
        std::cout << "Den fileerror is : " << int(file->error()) << "\n";
        return false;
    }
    if (!document->setContent(file, false)) {
        file->close();
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
