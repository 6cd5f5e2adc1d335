// MapEdit: changes to one placed object's element in a map file's bytes that
// replace only the bytes they must. Comments, blank lines, attribute order
// and spacing, quotes, entities, line endings and every other element stay
// as they are. Plain bytes in, a list of splices out: no Qt GUI, no GL, no
// file access; the window's editor (app/mapeditor.h) reads, checks and
// writes the files.
//
// The text is the file's bytes as read, UTF-8 (or ASCII); offsets are byte
// offsets into it. Element scanning assumes text that the reader found
// well-formed.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace mapedit {

// Bytes [begin, end).
struct Range {
    qint64 begin = 0;
    qint64 end = 0;
};

struct Attribute {
    QByteArray name;
    Range value; // between its quotes, as written (entities not decoded)
    char quote = '"';
};

struct Tag {
    QByteArray name;
    Range whole;              // from its '<' to its '>' included
    qint64 nameEnd = 0;       // just after its name
    bool selfClosing = false; // written "<name .../>"
    std::vector<Attribute> attributes;
    const Attribute* find(const char* attributeName) const;
};

struct Element {
    Tag start;
    Range whole;               // from the start tag's '<' to the end tag's '>' included
    std::vector<Tag> children; // the start tags of its child elements, in order
};

// The element whose start tag begins at begin; none when the bytes there
// are no element.
std::optional<Element> scanElement(const QByteArray& text, qint64 begin);

// Where the start tag of the element called name begins, given the place the
// reader gave it (line and column from 1, the column in UTF-16 units, which
// may already be past its '<'); -1 when no such tag starts there.
qint64 findElement(const QByteArray& text, int line, int column, const QByteArray& name);
// The same for the elements of one pass in document order: the cursor
// keeps the start of the line last found, so lines are counted once.
struct LineCursor {
    int line = 1;
    qint64 at = 0; // where that line starts
};
qint64 findElement(const QByteArray& text, int line, int column, const QByteArray& name,
                   LineCursor& cursor);

// The line ending the file uses ("\r\n" or "\n"), judged by its first line.
QByteArray lineEnding(const QByteArray& text);

// At `at` (a byte offset into the text before the change), `removed` gave
// way to `inserted`.
struct Splice {
    qint64 at = 0;
    QByteArray removed;
    QByteArray inserted;
};
// Splices that do not overlap; their offsets all refer to the text before
// any of them.
using Change = std::vector<Splice>;

// Makes the change; false, with the text as it was, when some splice's
// removed bytes are not where it says.
bool apply(QByteArray& text, const Change& change);
// The change that undoes change, on the text change made.
Change inverse(const Change& change);

// The shortest text that reads back as the same float: "5", "12.5", "-0.9".
QByteArray number(float value);
// An attribute's number as the map reads it (malformed or missing: 0),
// from the bytes written, not through a float.
double numberAt(const QByteArray& text, const Attribute* attribute);

// Moves the object by delta (world units along x, y, z). Each coordinate
// that changes is the file's own number plus its delta; a missing
// coordinate or <pos> is written.
Change move(const QByteArray& text, const Element& object, const double delta[3]);
// Turns the object by degrees about y: the <rot>'s value, or its y; a
// missing one is written. The angle written lies in [0, 360).
Change turn(const QByteArray& text, const Element& object, double degrees);
// Puts the object's x and z (file coordinates) at these values.
Change placeAt(const QByteArray& text, const Element& object, double x, double z);
// Removes the element, and its line when nothing else stands on it.
Change remove(const QByteArray& text, const Element& object);
// A copy of the element right after it, on a line of its own with the
// original's indentation and line ending, whose key attribute's text is
// keyText and which is moved by delta (see move).
Change copy(const QByteArray& text, const Element& object, const QByteArray& keyText,
            const double delta[3]);
// As copy, with the copy's x and z at these values.
Change copyTo(const QByteArray& text, const Element& object, const QByteArray& keyText, double x,
              double z);

// Where copy puts its copy: the first byte after the original.
qint64 copyOffset(const Element& object);

} // namespace mapedit
