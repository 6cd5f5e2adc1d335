// MapEditor: reads, checks and writes the map files that edits change.
#include "app/mapeditor.h"

#include "mapfile/mapformat.h"
#include "mapfile/worldrules.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QUndoCommand>
#include <iostream>
#include <set>

namespace {

// As the reader hashes what it read (MapLoader).
quint64 hashOf(const QByteArray& bytes) {
    return quint64(qHash(bytes, 0));
}

const char* refusalHead(MapEditor::Action action) {
    switch (action) {
    case MapEditor::Action::Move:
        return "niet verplaatst";
    case MapEditor::Action::Turn:
        return "niet gedraaid";
    case MapEditor::Action::Copy:
        return "niet gekopieerd";
    case MapEditor::Action::Place:
        return "geen nieuw object van zijn blueprint geplaatst";
    case MapEditor::Action::Remove:
        return "niet verwijderd";
    case MapEditor::Action::Undo:
        return "bewerking niet ongedaan gemaakt";
    case MapEditor::Action::Redo:
        return "bewerking niet opnieuw gedaan";
    }
    return "";
}

// The encoding the file's XML declaration names, when it is one the byte
// offsets of the reader do not fit (anything but UTF-8 and its subset
// ASCII); empty otherwise.
QString otherEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringLiteral("UTF-16");
    if (!bytes.startsWith("<?xml"))
        return QString();
    const QByteArray declaration = bytes.left(bytes.indexOf("?>"));
    const qint64 at = declaration.indexOf("encoding");
    if (at < 0)
        return QString();
    qint64 begin = at + 8;
    while (begin < declaration.size() && declaration.at(begin) != '"' && declaration.at(begin) != '\'')
        ++begin;
    const qint64 end = declaration.indexOf(declaration.mid(begin, 1), begin + 1);
    if (begin >= declaration.size() || end < 0)
        return QString();
    const QString name = QString::fromLatin1(declaration.mid(begin + 1, end - begin - 1));
    return name.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
                   name.compare("US-ASCII", Qt::CaseInsensitive) == 0 ||
                   name.compare("ASCII", Qt::CaseInsensitive) == 0
               ? QString()
               : name;
}

// The new key as written: the original's text (entities and all), then the
// suffix that makes it free.
QByteArray keyText(const QByteArray& bytes, const mapedit::Element& element,
                   const std::string& suffix) {
    const mapedit::Attribute* written = element.start.find("key");
    return (written ? bytes.mid(written->value.begin, written->value.end - written->value.begin)
                    : QByteArray()) +
           QByteArray::fromStdString(suffix);
}

} // namespace

// The splices of one edit, and the file's hashes on either side of them.
// The editor writes the bytes before it moves the stack (replay), so that a
// refused step leaves the stack where it was; the command only keeps them.
class MapEditor::Step : public QUndoCommand {
public:
    QString path;
    MapPlace place; // of the object edited, for messages
    std::string key;
    mapedit::Change change;
    quint64 hashBefore = 0, hashAfter = 0;
    Target selectUndone, selectDone;
    void undo() override {}
    void redo() override {}
};

struct MapEditor::Located {
    mapdata::File* file = nullptr;
    QString path; // to open and write
    QByteArray bytes;
    mapedit::Element element;
    MapPlace place;
    std::string key;
};

MapEditor::MapEditor() = default;
MapEditor::~MapEditor() = default;

bool MapEditor::placement(mapdata::Point& position, mapdata::Point& rotation) const {
    position = placedPosition;
    rotation = placedRotation;
    return placed;
}

void MapEditor::setData(std::shared_ptr<MapData> loaded) {
    data = std::move(loaded);
}

void MapEditor::refuse(const MapPlace& place, Action action, const std::string& key,
                       const QString& why) const {
    const QString what = action == Action::Undo || action == Action::Redo
                             ? QString(refusalHead(action))
                             : "object " + ::quoted(key) + " " + refusalHead(action);
    std::cout << placeText(place).toStdString() << ": fout: " << what.toStdString() << ": "
              << why.toStdString() << "; er is niets geschreven" << std::endl;
}

bool MapEditor::read(const QString& path, QByteArray& bytes, const MapPlace& place,
                     Action action, const std::string& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(place, action, key, path + " kan niet gelezen worden: " + file.errorString());
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool MapEditor::write(const QString& path, const QByteArray& bytes, const MapPlace& place,
                      Action action, const std::string& key) {
    // QSaveFile would replace a read-only file by renaming over it.
    if (!QFileInfo(path).isWritable()) {
        refuse(place, action, key, path + " is niet schrijfbaar");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        refuse(place, action, key, path + " kan niet geschreven worden: " + file.errorString());
        return false;
    }
    return true;
}

bool MapEditor::locate(const Target& target, const MapPlace& place, Action action,
                       Located& found) {
    placed = false;
    const std::string& key = target.objectKey;
    if (WorldRules::isSkyBox(key)) {
        refuse(place, action, key, "de sky box staat altijd om de kijker heen");
        return false;
    }
    if (!data) {
        refuse(place, action, key,
               "de wereld op het scherm is niet die van de bestanden, want het laden na de "
               "laatste bewerking mislukte; bewerken kan weer na een geslaagde herlaadbeurt");
        return false;
    }
    if (target.file.isEmpty()) {
        refuse(place, action, key, "het komt uit geen mapbestand");
        return false;
    }
    int reads = 0;
    QString absolute;
    for (mapdata::File& file : data->files)
        if (file.path == target.file && file.read) {
            found.file = &file;
            absolute = QFileInfo(file.openPath).absoluteFilePath();
        }
    if (!found.file) {
        refuse(place, action, key, target.file + " hoort niet bij de geladen wereld");
        return false;
    }
    for (const mapdata::File& file : data->files)
        if (file.read && QFileInfo(file.openPath).absoluteFilePath() == absolute)
            ++reads;
    if (reads > 1) {
        refuse(place, action, key,
               target.file + " wordt " + QString::number(reads) +
                   " keer ingelezen, en één bewerking zou op al die plaatsen gelden");
        return false;
    }
    found.path = found.file->openPath;
    found.place = place;
    found.key = key;
    if (!read(found.path, found.bytes, place, action, key))
        return false;
    if (hashOf(found.bytes) != found.file->hash) {
        refuse(place, action, key,
               target.file + " is veranderd sinds Kolvar het las; de wereld wordt opnieuw "
                             "geladen");
        return false;
    }
    const QString encoding = otherEncoding(found.bytes);
    if (!encoding.isEmpty()) {
        refuse(place, action, key,
               target.file + " is in " + encoding + " geschreven; alleen UTF-8 wordt bewerkt");
        return false;
    }
    // The reader's byte offset of the element at that place.
    qint64 begin = -1;
    for (const mapdata::Object& object : found.file->objects)
        if (object.place.line == place.line && object.place.column == place.column)
            begin = object.offset;
    std::optional<mapedit::Element> element =
        begin < 0 ? std::nullopt : mapedit::scanElement(found.bytes, begin);
    if (!element || element->start.name != "object") {
        refuse(place, action, key, "het element <object> staat niet op die plaats");
        return false;
    }
    found.element = std::move(*element);
    return true;
}

bool MapEditor::commit(const Located& found, const mapedit::Change& change,
                       const Target& selectNext, Action action) {
    placed = false;
    QByteArray bytes = found.bytes;
    if (change.empty() || !mapedit::apply(bytes, change)) {
        refuse(found.place, action, found.key, "het element kan zo niet veranderd worden");
        return false;
    }
    if (!write(found.path, bytes, found.place, action, found.key))
        return false;
    written = found.path;
    auto* step = new Step;
    step->path = found.path;
    step->place = found.place;
    step->key = found.key;
    step->change = change;
    step->hashBefore = hashOf(found.bytes);
    step->hashAfter = hashOf(bytes);
    step->selectUndone = after;
    step->selectDone = selectNext;
    stack.push(step);
    after = selectNext;
    found.file->hash = step->hashAfter;
    if (action == Action::Move || action == Action::Turn)
        placed = placeShown(found, change, bytes);
    if (placed) {
        // The window goes on with this data: the later objects' bytes moved.
        qint64 shift = 0;
        for (const mapedit::Splice& splice : change)
            shift += splice.inserted.size() - splice.removed.size();
        for (mapdata::Object& object : found.file->objects)
            if (object.offset > found.element.whole.begin)
                object.offset += shift;
    }
    return true;
}

bool MapEditor::placeShown(const Located& found, const mapedit::Change& change,
                           const QByteArray& bytes) {
    // A new line moves every later object's place; another object after
    // this one on its line moves along it.
    for (const mapedit::Splice& splice : change)
        if (splice.inserted.contains('\n') || splice.removed.contains('\n'))
            return false;
    const qint64 lineEnd = found.bytes.indexOf('\n', found.element.whole.end);
    if (found.bytes.mid(found.element.whole.end, lineEnd < 0 ? -1 : lineEnd - found.element.whole.end)
            .contains("<object"))
        return false;
    // The element starts where it did: read it as the map's reader would.
    const std::optional<mapedit::Element> element =
        mapedit::scanElement(bytes, found.element.whole.begin);
    if (!element)
        return false;
    auto number = [&](const mapedit::Tag* tag, const char* name) {
        const mapedit::Attribute* attribute = tag ? tag->find(name) : nullptr;
        return attribute ? MapFormat::numberValue(QString::fromUtf8(bytes.mid(
                               attribute->value.begin, attribute->value.end - attribute->value.begin)))
                         : 0.0f;
    };
    const mapedit::Tag* pos = nullptr;
    const mapedit::Tag* rot = nullptr;
    for (const mapedit::Tag& child : element->children) {
        if (!pos && child.name == "pos")
            pos = &child;
        if (!rot && child.name == "rot")
            rot = &child;
    }
    placedPosition = {number(pos, "x"), number(pos, "y"), number(pos, "z")};
    if (rot && rot->find("value"))
        placedRotation = {0.0f, number(rot, "value"), 0.0f};
    else
        placedRotation = {number(rot, "x"), number(rot, "y"), number(rot, "z")};
    return true;
}

bool MapEditor::move(const Target& target, const MapPlace& place, const double delta[3]) {
    Located found;
    if (!locate(target, place, Action::Move, found))
        return false;
    after = target;
    return commit(found, mapedit::move(found.bytes, found.element, delta), target, Action::Move);
}

bool MapEditor::turn(const Target& target, const MapPlace& place, double degrees) {
    Located found;
    if (!locate(target, place, Action::Turn, found))
        return false;
    after = target;
    return commit(found, mapedit::turn(found.bytes, found.element, degrees), target,
                  Action::Turn);
}

std::string MapEditor::freeKey(const std::string& key) const {
    std::set<std::string> used;
    if (data)
        for (const mapdata::File& file : data->files)
            for (const mapdata::Object& object : file.objects)
                used.insert(object.key);
    for (int n = 2;; ++n) {
        const std::string candidate = key + "_" + std::to_string(n);
        if (!used.count(candidate))
            return candidate;
    }
}

bool MapEditor::copy(const Target& target, const MapPlace& place, const double delta[3]) {
    Located found;
    if (!locate(target, place, Action::Copy, found))
        return false;
    const std::string key = freeKey(target.objectKey);
    const QByteArray text =
        keyText(found.bytes, found.element, key.substr(target.objectKey.size()));
    after = target;
    return commit(found, mapedit::copy(found.bytes, found.element, text, delta),
                  {target.file, target.blueprintKey, key}, Action::Copy);
}

bool MapEditor::place(const Target& target, const MapPlace& place, double x, double z) {
    Located found;
    if (!locate(target, place, Action::Place, found))
        return false;
    const std::string key = freeKey(target.objectKey);
    const QByteArray text =
        keyText(found.bytes, found.element, key.substr(target.objectKey.size()));
    after = target;
    return commit(found, mapedit::copyTo(found.bytes, found.element, text, x, z),
                  {target.file, target.blueprintKey, key}, Action::Place);
}

bool MapEditor::remove(const Target& target, const MapPlace& place) {
    Located found;
    if (!locate(target, place, Action::Remove, found))
        return false;
    after = target;
    return commit(found, mapedit::remove(found.bytes, found.element), Target(), Action::Remove);
}

bool MapEditor::undo() {
    return replay(true);
}

bool MapEditor::redo() {
    return replay(false);
}

bool MapEditor::replay(bool undo) {
    placed = false;
    const Action action = undo ? Action::Undo : Action::Redo;
    if (undo ? !stack.canUndo() : !stack.canRedo()) {
        std::cout << (undo ? "Niets om ongedaan te maken" : "Niets om opnieuw te doen")
                  << std::endl;
        return false;
    }
    const auto* step = static_cast<const Step*>(stack.command(stack.index() - (undo ? 1 : 0)));
    QByteArray bytes;
    if (!read(step->path, bytes, step->place, action, step->key))
        return false;
    // Never over someone else's edit: the file must be as this step left it
    // (undo) or found it (redo).
    if (hashOf(bytes) != (undo ? step->hashAfter : step->hashBefore)) {
        refuse(step->place, action, step->key,
               step->path + " is veranderd sinds Kolvar het schreef");
        return false;
    }
    const mapedit::Change change = undo ? mapedit::inverse(step->change) : step->change;
    if (!mapedit::apply(bytes, change)) {
        refuse(step->place, action, step->key, "de bytes van de bewerking staan er niet meer");
        return false;
    }
    if (!write(step->path, bytes, step->place, action, step->key))
        return false;
    written = step->path;
    after = undo ? step->selectUndone : step->selectDone;
    if (undo)
        stack.undo();
    else
        stack.redo();
    return true;
}
