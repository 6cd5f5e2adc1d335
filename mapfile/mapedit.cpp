// MapEdit: a small scanner of element tags over raw bytes, and the splices
// that move, turn, copy and remove one object's element.
#include "mapfile/mapedit.h"

#include "mapfile/mapformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mapedit {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(char c) {
    return isBlank(c) || c == '/' || c == '>';
}

// The tag whose '<' is at p; none when the bytes there are not a whole tag.
std::optional<Tag> scanTag(const QByteArray& text, qint64 p) {
    const qint64 size = text.size();
    if (p < 0 || p >= size || text.at(p) != '<')
        return std::nullopt;
    Tag tag;
    tag.whole.begin = p;
    qint64 i = p + 1;
    while (i < size && !endsName(text.at(i)))
        ++i;
    tag.name = text.mid(p + 1, i - p - 1);
    tag.nameEnd = i;
    if (tag.name.isEmpty())
        return std::nullopt;
    for (;;) {
        while (i < size && isBlank(text.at(i)))
            ++i;
        if (i >= size)
            return std::nullopt;
        if (text.at(i) == '>') {
            tag.whole.end = i + 1;
            return tag;
        }
        if (text.at(i) == '/') {
            if (i + 1 >= size || text.at(i + 1) != '>')
                return std::nullopt;
            tag.selfClosing = true;
            tag.whole.end = i + 2;
            return tag;
        }
        Attribute attribute;
        const qint64 nameBegin = i;
        while (i < size && text.at(i) != '=' && !endsName(text.at(i)))
            ++i;
        attribute.name = text.mid(nameBegin, i - nameBegin);
        while (i < size && isBlank(text.at(i)))
            ++i;
        if (i >= size || text.at(i) != '=' || attribute.name.isEmpty())
            return std::nullopt;
        ++i;
        while (i < size && isBlank(text.at(i)))
            ++i;
        if (i >= size || (text.at(i) != '"' && text.at(i) != '\''))
            return std::nullopt;
        attribute.quote = text.at(i);
        attribute.value.begin = ++i;
        while (i < size && text.at(i) != attribute.quote)
            ++i;
        if (i >= size)
            return std::nullopt;
        attribute.value.end = i++;
        tag.attributes.push_back(std::move(attribute));
    }
}

// Just after the first `close` at or after p; -1 when there is none.
qint64 after(const QByteArray& text, qint64 p, const char* close) {
    const qint64 at = text.indexOf(close, p);
    return at < 0 ? -1 : at + qint64(std::strlen(close));
}

// The start of the line that holds p.
qint64 lineStart(const QByteArray& text, qint64 p) {
    return p == 0 ? 0 : text.lastIndexOf('\n', p - 1) + 1;
}

bool allBlank(const QByteArray& text, qint64 begin, qint64 end) {
    for (qint64 i = begin; i < end; ++i)
        if (!isBlank(text.at(i)))
            return false;
    return true;
}

const Tag* child(const Element& element, const char* name) {
    for (const Tag& tag : element.children)
        if (tag.name == name)
            return &tag;
    return nullptr;
}

char quoteOf(const Tag& tag) {
    return tag.attributes.empty() ? '"' : tag.attributes.front().quote;
}

// Sets the attribute's value, or adds it after the tag's last attribute.
Splice setAttribute(const QByteArray& text, const Tag& tag, const char* name,
                    const QByteArray& value) {
    if (const Attribute* found = tag.find(name))
        return {found->value.begin, text.mid(found->value.begin, found->value.end -
                                                                     found->value.begin),
                value};
    const qint64 at = tag.attributes.empty() ? tag.nameEnd : tag.attributes.back().value.end + 1;
    const char quote = quoteOf(tag);
    return {at, QByteArray(), " " + QByteArray(name) + "=" + quote + value + quote};
}

// An empty element "<name a="1" b="2"/>" in the quotes of style.
QByteArray emptyElement(const char* name, const std::vector<std::pair<const char*, QByteArray>>& values,
                        const Tag& style) {
    const char quote = quoteOf(style);
    QByteArray out = "<" + QByteArray(name);
    for (const auto& [attribute, value] : values)
        out += " " + QByteArray(attribute) + "=" + quote + value + quote;
    return out + "/>";
}

// Writes childText as the element's first child.
Splice insertFirstChild(const QByteArray& text, const Element& element,
                        const QByteArray& childText) {
    const Tag& start = element.start;
    if (start.selfClosing) // "<object .../>" opens, holds the child and closes
        return {start.whole.end - 2, "/>", ">" + childText + "</" + start.name + ">"};
    // The blanks between the start tag and what follows it (a child or a
    // comment): the indentation the new child takes too.
    qint64 next = start.whole.end;
    while (next < text.size() && isBlank(text.at(next)))
        ++next;
    if (next > start.whole.end && text.mid(next, 2) != "</")
        return {next, QByteArray(), childText + text.mid(start.whole.end, next - start.whole.end)};
    return {start.whole.end, QByteArray(), childText};
}

const char* const kAxes[3] = {"x", "y", "z"};

// pos's coordinates: set[axis] true for those to write, at value[axis].
Change setPosition(const QByteArray& text, const Element& object, const bool set[3],
                   const double value[3]) {
    Change change;
    const Tag* pos = child(object, "pos");
    if (!pos) {
        std::vector<std::pair<const char*, QByteArray>> values;
        for (int axis = 0; axis < 3; ++axis)
            values.emplace_back(kAxes[axis], number(float(set[axis] ? value[axis] : 0.0)));
        change.push_back(insertFirstChild(text, object, emptyElement("pos", values, object.start)));
        return change;
    }
    for (int axis = 0; axis < 3; ++axis)
        if (set[axis])
            change.push_back(setAttribute(text, *pos, kAxes[axis], number(float(value[axis]))));
    return change;
}

Change copyWith(const QByteArray& text, const Element& object, const QByteArray& keyText,
                Change (*changeCopy)(const QByteArray&, const Element&, const double*),
                const double* values) {
    QByteArray copied = text.mid(object.whole.begin, object.whole.end - object.whole.begin);
    const std::optional<Element> own = scanElement(copied, 0);
    if (!own)
        return {};
    Change change = changeCopy(copied, *own, values);
    change.push_back(setAttribute(copied, own->start, "key", keyText));
    if (!mapedit::apply(copied, change))
        return {};
    // On a line of its own, indented as the original, when the original
    // starts its line; else after it on the same line.
    const qint64 begin = lineStart(text, object.whole.begin);
    // The line ending is the one of the line the original ends on, in a
    // file whose lines end in more than one way too.
    const qint64 newline = text.indexOf('\n', object.whole.end);
    QByteArray ending = lineEnding(text);
    if (newline >= 0)
        ending = newline > 0 && text.at(newline - 1) == '\r' ? "\r\n" : "\n";
    const QByteArray separator = allBlank(text, begin, object.whole.begin)
                                     ? ending + text.mid(begin, object.whole.begin - begin)
                                     : QByteArray(" ");
    return {{copyOffset(object), QByteArray(), separator + copied}};
}

Change moveBy(const QByteArray& text, const Element& object, const double* delta) {
    return move(text, object, delta);
}

Change placeXZ(const QByteArray& text, const Element& object, const double* xz) {
    return placeAt(text, object, xz[0], xz[1]);
}

} // namespace

const Attribute* Tag::find(const char* attributeName) const {
    for (const Attribute& attribute : attributes)
        if (attribute.name == attributeName)
            return &attribute;
    return nullptr;
}

std::optional<Element> scanElement(const QByteArray& text, qint64 begin) {
    std::optional<Tag> start = scanTag(text, begin);
    if (!start)
        return std::nullopt;
    Element element;
    element.start = std::move(*start);
    element.whole = element.start.whole;
    if (element.start.selfClosing)
        return element;
    int depth = 1;
    qint64 p = element.start.whole.end;
    while (depth > 0) {
        p = text.indexOf('<', p);
        if (p < 0)
            return std::nullopt;
        if (text.mid(p, 4) == "<!--")
            p = after(text, p, "-->");
        else if (text.mid(p, 9) == "<![CDATA[")
            p = after(text, p, "]]>");
        else if (text.mid(p, 2) == "<?")
            p = after(text, p, "?>");
        else if (text.mid(p, 2) == "</") {
            p = after(text, p, ">");
            --depth;
        } else {
            std::optional<Tag> tag = scanTag(text, p);
            if (!tag)
                return std::nullopt;
            p = tag->whole.end;
            const bool direct = depth == 1;
            if (!tag->selfClosing)
                ++depth;
            if (direct)
                element.children.push_back(std::move(*tag));
        }
        if (p < 0)
            return std::nullopt;
    }
    element.whole.end = p;
    return element;
}

qint64 findElement(const QByteArray& text, int line, int column, const QByteArray& name) {
    LineCursor cursor;
    return findElement(text, line, column, name, cursor);
}

qint64 findElement(const QByteArray& text, int line, int column, const QByteArray& name,
                   LineCursor& cursor) {
    const qint64 size = text.size();
    if (cursor.line > line)
        cursor = LineCursor();
    qint64 p = cursor.at;
    for (; cursor.line < line; ++cursor.line) {
        p = text.indexOf('\n', p);
        if (p < 0)
            return -1;
        cursor.at = ++p;
    }
    const qint64 begin = p;
    // The column counts UTF-16 units: a four-byte UTF-8 sequence is two.
    for (int units = 1; units < column && p < size && text.at(p) != '\n';) {
        const uchar lead = uchar(text.at(p));
        const int bytes = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        units += bytes == 4 ? 2 : 1;
        p += bytes;
    }
    // The reader places an element where the token before it ended, which
    // is its '<' or, when text came before, just past it.
    for (qint64 q = std::min(p, size - 1); q >= std::max(begin, p - 1); --q)
        if (text.at(q) == '<' && text.mid(q + 1, name.size()) == name &&
            q + 1 + name.size() < size && endsName(text.at(q + 1 + name.size())))
            return q;
    return -1;
}

QByteArray lineEnding(const QByteArray& text) {
    const qint64 newline = text.indexOf('\n');
    return newline > 0 && text.at(newline - 1) == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

// The change's splices front to back; those at one offset in the order
// listed, which is the order their texts take in the result.
Change inOrder(const Change& change) {
    Change order = change;
    std::stable_sort(order.begin(), order.end(),
                     [](const Splice& a, const Splice& b) { return a.at < b.at; });
    return order;
}

bool apply(QByteArray& text, const Change& change) {
    QByteArray out;
    qint64 done = 0; // the text before this has been copied or replaced
    for (const Splice& splice : inOrder(change)) {
        if (splice.at < done || splice.at + splice.removed.size() > text.size() ||
            text.mid(splice.at, splice.removed.size()) != splice.removed)
            return false;
        out += text.mid(done, splice.at - done) + splice.inserted;
        done = splice.at + splice.removed.size();
    }
    text = out + text.mid(done);
    return true;
}

Change inverse(const Change& change) {
    const Change order = inOrder(change);
    Change undo;
    qint64 shift = 0; // how far the splices before this one moved it
    for (const Splice& splice : order) {
        undo.push_back({splice.at + shift, splice.inserted, splice.removed});
        shift += splice.inserted.size() - splice.removed.size();
    }
    return undo;
}

QByteArray number(float value) {
    if (value == 0.0f)
        return "0"; // never "-0"
    char buffer[32];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(end.ptr - buffer));
}

double numberAt(const QByteArray& text, const Attribute* attribute) {
    if (!attribute)
        return 0.0;
    const QString written = QString::fromUtf8(
        text.mid(attribute->value.begin, attribute->value.end - attribute->value.begin));
    bool usable = false;
    MapFormat::numberValue(written, &usable);
    return usable ? written.trimmed().toDouble() : 0.0;
}

Change move(const QByteArray& text, const Element& object, const double delta[3]) {
    const Tag* pos = child(object, "pos");
    if (!pos && delta[0] == 0.0 && delta[1] == 0.0 && delta[2] == 0.0)
        return {}; // stays at the origin it stands at: nothing to write (a copy stays as is)
    bool set[3];
    double value[3];
    for (int axis = 0; axis < 3; ++axis) {
        // A coordinate that stays is not written again; a new <pos> has all three.
        set[axis] = delta[axis] != 0.0 || !pos;
        value[axis] = (pos ? numberAt(text, pos->find(kAxes[axis])) : 0.0) + delta[axis];
    }
    return setPosition(text, object, set, value);
}

Change placeAt(const QByteArray& text, const Element& object, double x, double z) {
    const Tag* pos = child(object, "pos");
    const bool set[3] = {true, !pos, true};
    const double value[3] = {x, 0.0, z};
    return setPosition(text, object, set, value);
}

Change turn(const QByteArray& text, const Element& object, double degrees) {
    const Tag* rot = child(object, "rot");
    const char* name = rot && rot->find("value") ? "value" : "y";
    double angle = std::fmod((rot ? numberAt(text, rot->find(name)) : 0.0) + degrees, 360.0);
    if (angle < 0)
        angle += 360.0;
    float stored = float(angle);
    if (stored >= 360.0f) // 359.99999 rounds up to 360 as a float
        stored = 0.0f;
    const QByteArray written = number(stored);
    if (!rot)
        return {insertFirstChild(text, object, emptyElement("rot", {{"value", written}}, object.start))};
    return {setAttribute(text, *rot, name, written)};
}

Change remove(const QByteArray& text, const Element& object) {
    qint64 begin = object.whole.begin, end = object.whole.end;
    const qint64 start = lineStart(text, begin);
    qint64 lineEnd = end;
    while (lineEnd < text.size() && (text.at(lineEnd) == ' ' || text.at(lineEnd) == '\t'))
        ++lineEnd;
    if (!allBlank(text, start, begin)) {
        // After other markup on its line: the blanks before it go with it,
        // as copy writes one there.
        while (begin > start && (text.at(begin - 1) == ' ' || text.at(begin - 1) == '\t'))
            --begin;
    } else if (lineEnd < text.size() && text.at(lineEnd) != '\r' && text.at(lineEnd) != '\n') {
        end = lineEnd; // first on its line: the next one takes its place
    } else {
        if (lineEnd < text.size() && text.at(lineEnd) == '\r' && lineEnd + 1 < text.size() &&
            text.at(lineEnd + 1) == '\n') {
            begin = start;
            end = lineEnd + 2;
        } else if (lineEnd < text.size() && text.at(lineEnd) == '\n') {
            begin = start;
            end = lineEnd + 1;
        } else if (lineEnd == text.size() && start > 0) {
            // The last line, without an ending: the one before loses its own.
            begin = start - 1 - (start >= 2 && text.at(start - 2) == '\r' ? 1 : 0);
            end = lineEnd;
        }
    }
    return {{begin, text.mid(begin, end - begin), QByteArray()}};
}

qint64 copyOffset(const Element& object) {
    return object.whole.end;
}

Change copy(const QByteArray& text, const Element& object, const QByteArray& keyText,
            const double delta[3]) {
    return copyWith(text, object, keyText, moveBy, delta);
}

Change copyTo(const QByteArray& text, const Element& object, const QByteArray& keyText, double x,
              double z) {
    const double xz[2] = {x, z};
    return copyWith(text, object, keyText, placeXZ, xz);
}

} // namespace mapedit
