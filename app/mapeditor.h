// MapEditor: edits placed objects in the map files they come from, while
// the window runs. Each edit reads the file, checks that it is still what
// the last load read (or what the last edit wrote), changes only the bytes
// it must (mapfile/mapedit.h), and saves it atomically before it returns:
// Escape may end the process on the next event. Each edit is one step of a
// QUndoStack; undo and redo write the bytes back the same way.
//
// A refused edit prints one located line and writes nothing. The window
// loads the world anew after each write (see Canvas::afterEdit).
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapedit.h"

#include <QByteArray>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <string>

class MapEditor {
public:
    // A placed object as the map defines it: found again after a reload
    // by its file and its two keys.
    struct Target {
        QString file; // as the map data names it
        std::string blueprintKey;
        std::string objectKey;
        bool operator==(const Target& o) const {
            return file == o.file && blueprintKey == o.blueprintKey && objectKey == o.objectKey;
        }
    };

    MapEditor();
    ~MapEditor();
    MapEditor(const MapEditor&) = delete;
    MapEditor& operator=(const MapEditor&) = delete;

    // What the last load read. Edits find their objects, and their files'
    // bytes as read, here; an edit the window shows without a load keeps
    // it up to date. None: the world on screen is not the files' (a load
    // after an edit failed), and every edit is refused until a load takes.
    void setData(std::shared_ptr<MapData> data);

    // The edits. Each writes its file, or prints why not and writes
    // nothing; true when it wrote. target: the selected object, at place
    // (file, line, column as the reader gave them). After an edit,
    // selectAfter() is the object to select.
    bool move(const Target& target, const MapPlace& place, const double delta[3]);
    bool turn(const Target& target, const MapPlace& place, double degrees);
    // A copy right after the original, with a new key, moved by delta.
    bool copy(const Target& target, const MapPlace& place, const double delta[3]);
    // A new object of the target's blueprint, after it, at file x and z.
    bool place(const Target& target, const MapPlace& place, double x, double z);
    bool remove(const Target& target, const MapPlace& place);
    bool undo();
    bool redo();
    const Target& selectAfter() const { return after; }
    // The file the last edit (or undo, or redo) wrote.
    const QString& lastWritten() const { return written; }
    // After a move or turn that left every other object's place in its file
    // as it was: where a load of the file would now place the object
    // (position as the file gives it, rotation in degrees), so the window
    // may show it without a load. False after any other edit.
    bool placement(mapdata::Point& position, mapdata::Point& rotation) const;
    bool canUndo() const { return stack.canUndo(); }

    // The first key not yet used by any object of the world: key + "_2",
    // "_3", ...
    std::string freeKey(const std::string& key) const;

    // What was asked, for the refusal's line.
    enum class Action { Move, Turn, Copy, Place, Remove, Undo, Redo };

private:
    class Step; // one QUndoCommand: the splices of one edit of one file
    struct Located;
    // The target's file and element, checked; false (and a line printed)
    // when it may not be edited.
    bool locate(const Target& target, const MapPlace& place, Action action, Located& found);
    // Makes the change in the located file, writes it and pushes its step.
    bool commit(const Located& found, const mapedit::Change& change, const Target& selectNext,
                Action action);
    // Whether the change of a move or turn leaves every other object's place
    // as it was; if so, sets the placement the new bytes give the object.
    bool placeShown(const Located& found, const mapedit::Change& change, const QByteArray& bytes);
    // Reads path's bytes; false (and a line printed) when it cannot.
    bool read(const QString& path, QByteArray& bytes, const MapPlace& place, Action action,
              const std::string& key);
    bool write(const QString& path, const QByteArray& bytes, const MapPlace& place,
               Action action, const std::string& key);
    // Undo (undo true) or redo the stack's step, checked first.
    bool replay(bool undo);
    void refuse(const MapPlace& place, Action action, const std::string& key,
                const QString& why) const;

    std::shared_ptr<MapData> data;
    QUndoStack stack;
    Target after;
    QString written;     // see lastWritten
    bool placed = false; // placement() holds
    mapdata::Point placedPosition, placedRotation;
    friend class Step;
};
