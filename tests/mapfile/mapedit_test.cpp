// Edits of one object's element in a map file's bytes: each replaces only
// the bytes it must. Objects are found as the window finds them, from the
// places the real QXmlStreamReader gives, and every result is compared byte
// for byte with what the file must hold after it.
#include "mapfile/mapedit.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Place {
    int line = 0, column = 0; // from 1; the column in UTF-16 units
    QByteArray key;
};

// The objects' places as the loader takes them: before readNext() reads the
// start element, so where the token before it ended.
std::vector<Place> objectPlaces(const QByteArray& text) {
    QXmlStreamReader xml(text);
    std::vector<Place> places;
    while (!xml.atEnd()) {
        const Place place{std::max(1, int(xml.lineNumber())), int(xml.columnNumber()) + 1, {}};
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("object"))
            places.push_back({place.line, place.column,
                              xml.attributes().value(QLatin1String("key")).toString().toUtf8()});
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return places;
}

// The n-th object the reader meets.
mapedit::Element object(const QByteArray& text, size_t n) {
    const std::vector<Place> places = objectPlaces(text);
    if (n >= places.size())
        ADD_FAILURE() << "geen object " << n;
    const Place place = n < places.size() ? places[n] : Place{};
    const std::optional<mapedit::Element> element =
        mapedit::scanElement(text, mapedit::findElement(text, place.line, place.column, "object"));
    if (!element)
        ADD_FAILURE() << "object " << n << " niet gevonden";
    return element.value_or(mapedit::Element{});
}

enum class Op { Move, Turn, Copy, CopyTo, PlaceAt, Remove };

struct Edit {
    const char* before;
    size_t object;
    Op op;
    double a, b, c;  // Move, Copy: delta; Turn: a degrees; CopyTo, PlaceAt: x = a, z = b
    const char* key; // Copy, CopyTo: the copy's key as written
    const char* after;
};

mapedit::Change make(const Edit& edit, const QByteArray& text, const mapedit::Element& element) {
    const double delta[3] = {edit.a, edit.b, edit.c};
    switch (edit.op) {
    case Op::Move:
        return mapedit::move(text, element, delta);
    case Op::Turn:
        return mapedit::turn(text, element, edit.a);
    case Op::Copy:
        return mapedit::copy(text, element, edit.key, delta);
    case Op::CopyTo:
        return mapedit::copyTo(text, element, edit.key, edit.a, edit.b);
    case Op::PlaceAt:
        return mapedit::placeAt(text, element, edit.a, edit.b);
    case Op::Remove:
        return mapedit::remove(text, element);
    }
    return {};
}

const char* const kCrlf =
    "<objects>\r\n  <object key=\"a\">\r\n    <pos x=\"5\" y=\"0\" z=\"2\"/>\r\n"
    "  </object>\r\n</objects>\r\n";
const char* const kComments = "<objects>\n  <object key='b' blueprintKey='tree'>\n"
                              "    <!-- where it stands -->\n    <rot value='90'/>\n"
                              "    <!-- <pos x='1'/> was here -->\n    <scale x='2'/>\n"
                              "  </object>\n</objects>\n";
// A four-byte character and a two-byte one before the second object on its
// line: its column (UTF-16 units) is not its byte count.
const char* const kUtf8 =
    "<objects>\n  <!-- \xF0\x9F\x8C\xB2 --><object key=\"\xC3\xA9\xC3\xA9n\"/>"
    "<object key=\"bos_\xC3\xBC\"><pos x=\"1\" y=\"0\" z=\"1\"/></object>\n"
    "</objects>\n";
const char* const kFiveLines =
    "<objects>\n  <object\n      key=\"c\"\n      blueprintKey=\"tree\">\n"
    "    <pos x=\"1\"\n         y=\"2\" z=\"3\"/></object>\n</objects>\n";
const char* const kInline =
    "<objects><object key=\"d\" blueprintKey=\"x\"/> <object key=\"f\"/></objects>";

// Each edit's bytes, and its inverse undoing it exactly. Faults caught: a
// value, quote, line ending or indentation written in the wrong style; a
// <pos> found inside a comment; a column taken for bytes; a self-closing
// element not opened; a line left behind by remove; added attributes
// written or undone out of order.
TEST(MapEdit, EachEditWritesExactlyTheseBytesAndItsInverseRestoresTheFile) {
    const Edit edits[] = {
        {kCrlf, 0, Op::Move, -0.5, 0, 10.5, "",
         "<objects>\r\n  <object key=\"a\">\r\n    <pos x=\"4.5\" y=\"0\" z=\"12.5\"/>\r\n"
         "  </object>\r\n</objects>\r\n"},
        {kCrlf, 0, Op::Copy, 1, 0, 0, "a_2",
         "<objects>\r\n  <object key=\"a\">\r\n    <pos x=\"5\" y=\"0\" z=\"2\"/>\r\n  "
         "</object>\r\n"
         "  <object key=\"a_2\">\r\n    <pos x=\"6\" y=\"0\" z=\"2\"/>\r\n  "
         "</object>\r\n</objects>\r\n"},
        {kCrlf, 0, Op::Remove, 0, 0, 0, "", "<objects>\r\n</objects>\r\n"},
        {kComments, 0, Op::Move, 0, 0, -3, "",
         "<objects>\n  <object key='b' blueprintKey='tree'>\n    <pos x='0' y='0' z='-3'/>\n"
         "    <!-- where it stands -->\n    <rot value='90'/>\n"
         "    <!-- <pos x='1'/> was here -->\n    <scale x='2'/>\n  </object>\n</objects>\n"},
        {kComments, 0, Op::Turn, 300, 0, 0, "",
         "<objects>\n  <object key='b' blueprintKey='tree'>\n    <!-- where it stands -->\n"
         "    <rot value='30'/>\n    <!-- <pos x='1'/> was here -->\n    <scale x='2'/>\n"
         "  </object>\n</objects>\n"},
        // 359.99999 is 360 as a float: the angle written stays below 360.
        {kComments, 0, Op::Turn, -90.00001, 0, 0, "",
         "<objects>\n  <object key='b' blueprintKey='tree'>\n    <!-- where it stands -->\n"
         "    <rot value='0'/>\n    <!-- <pos x='1'/> was here -->\n    <scale x='2'/>\n"
         "  </object>\n</objects>\n"},
        {"<objects>\n  <object key=\"R&amp;D\" blueprintKey=\"lab\"><pos x=\"1\" y=\"0\" z=\"1\"/>"
         "</object>\n</objects>\n",
         0, Op::Copy, 0, 0, 2, "R&amp;D_2",
         "<objects>\n  <object key=\"R&amp;D\" blueprintKey=\"lab\"><pos x=\"1\" y=\"0\" z=\"1\"/>"
         "</object>\n  <object key=\"R&amp;D_2\" blueprintKey=\"lab\"><pos x=\"1\" y=\"0\" "
         "z=\"3\"/>"
         "</object>\n</objects>\n"},
        {kUtf8, 1, Op::Turn, -45, 0, 0, "",
         "<objects>\n  <!-- \xF0\x9F\x8C\xB2 --><object key=\"\xC3\xA9\xC3\xA9n\"/>"
         "<object key=\"bos_\xC3\xBC\"><rot value=\"315\"/><pos x=\"1\" y=\"0\" "
         "z=\"1\"/></object>\n"
         "</objects>\n"},
        {kUtf8, 0, Op::CopyTo, 7, -2.5, 0, "\xC3\xA9\xC3\xA9n_2",
         "<objects>\n  <!-- \xF0\x9F\x8C\xB2 --><object key=\"\xC3\xA9\xC3\xA9n\"/> "
         "<object key=\"\xC3\xA9\xC3\xA9n_2\"><pos x=\"7\" y=\"0\" z=\"-2.5\"/></object>"
         "<object key=\"bos_\xC3\xBC\"><pos x=\"1\" y=\"0\" z=\"1\"/></object>\n</objects>\n"},
        {kFiveLines, 0, Op::Move, 0, -2.9, 0, "",
         "<objects>\n  <object\n      key=\"c\"\n      blueprintKey=\"tree\">\n"
         "    <pos x=\"1\"\n         y=\"-0.9\" z=\"3\"/></object>\n</objects>\n"},
        {kFiveLines, 0, Op::Copy, 0, 0, 0, "c_2",
         "<objects>\n  <object\n      key=\"c\"\n      blueprintKey=\"tree\">\n"
         "    <pos x=\"1\"\n         y=\"2\" z=\"3\"/></object>\n  <object\n      key=\"c_2\"\n"
         "      blueprintKey=\"tree\">\n    <pos x=\"1\"\n         y=\"2\" z=\"3\"/></object>\n"
         "</objects>\n"},
        {kFiveLines, 0, Op::Remove, 0, 0, 0, "", "<objects>\n</objects>\n"},
        {"<objects>\n\t<object key=\"e\">\n\t\t<scale x=\"2\"/>\n\t</object>\n</objects>\n", 0,
         Op::Move, 1, 0, 0, "",
         "<objects>\n\t<object key=\"e\">\n\t\t<pos x=\"1\" y=\"0\" z=\"0\"/>\n\t\t<scale "
         "x=\"2\"/>\n"
         "\t</object>\n</objects>\n"},
        {kInline, 0, Op::Move, 0, 0, 1, "",
         "<objects><object key=\"d\" blueprintKey=\"x\"><pos x=\"0\" y=\"0\" z=\"1\"/></object> "
         "<object key=\"f\"/></objects>"},
        {kInline, 1, Op::Remove, 0, 0, 0, "",
         "<objects><object key=\"d\" blueprintKey=\"x\"/></objects>"},
        {"<objects>\n  <object key=\"g\"><pos y=\"1\"/></object>\n</objects>", 0, Op::PlaceAt, 3,
         -4, 0, "",
         "<objects>\n  <object key=\"g\"><pos y=\"1\" x=\"3\" z=\"-4\"/></object>\n</objects>"},
        // The copy's line ends as the original's does, not as the first line.
        {"<?xml version=\"1.0\"?>\n<objects>\r\n  <object key=\"a\"/>\r\n</objects>\r\n", 0,
         Op::Copy, 0, 0, 0, "a_2",
         "<?xml version=\"1.0\"?>\n<objects>\r\n  <object key=\"a\"/>\r\n  <object "
         "key=\"a_2\"/>\r\n"
         "</objects>\r\n"},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.after);
        const QByteArray before = edit.before;
        QByteArray text = before;
        const mapedit::Change change = make(edit, text, object(text, edit.object));
        ASSERT_TRUE(mapedit::apply(text, change));
        EXPECT_EQ(text.toStdString(), std::string(edit.after));
        ASSERT_TRUE(mapedit::apply(text, mapedit::inverse(change)));
        EXPECT_EQ(text, before);
    }
}

// A value written through a float or widened to all its digits, or any byte
// beside it rewritten.
TEST(MapEdit, FiveStepsAlongXChangeOnlyTheValue) {
    const QByteArray before =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- \xF0\x9F\x8C\xB2 -->\r\n"
        "<objects>\r\n\r\n  <object key='R&amp;D'  blueprintKey = \"lab\" >\r\n"
        "    <!-- <pos x=\"1\"/> -->\r\n    <pos  z='-0.9'\r\n x='5' />\r\n"
        "  </object>\r\n</objects>\r\n";
    QByteArray text = before;
    const double step[3] = {1, 0, 0};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(mapedit::apply(text, mapedit::move(text, object(text, 0), step)));
    const qint64 at = before.indexOf("x='5'") + 3;
    EXPECT_EQ(text.toStdString(), (before.left(at) + "10" + before.mid(at + 1)).toStdString());
}

// An edit that cannot be undone: inverse offsets that forget earlier
// splices, or a copy whose removal leaves a separator behind.
TEST(MapEdit, UndoingEveryStepAndRemovingACopyGiveBackTheBytes) {
    const QByteArray before = "<objects>\r\n  <object key=\"m\" blueprintKey=\"x\">\r\n"
                              "    <pos y=\"1\"/>\r\n  </object>\r\n</objects>\r\n";
    const double steps[][3] = {
        {1.5, 0, -0.7}, {0.1, 0, 0}, {0, -0.25, 0}, {0, 0, 3}, {-2.05, 0.5, 0.1}};
    QByteArray text = before;
    std::vector<mapedit::Change> done;
    for (int i = 0; i < 100; ++i) {
        done.push_back(mapedit::move(text, object(text, 0), steps[i % 5]));
        ASSERT_TRUE(mapedit::apply(text, done.back())) << i;
    }
    EXPECT_NE(text, before);
    for (auto change = done.rbegin(); change != done.rend(); ++change)
        ASSERT_TRUE(mapedit::apply(text, mapedit::inverse(*change)));
    EXPECT_EQ(text, before);

    for (const char* file : {kCrlf, kComments, kUtf8, kFiveLines, kInline}) {
        for (size_t n = 0; n < objectPlaces(file).size(); ++n) {
            SCOPED_TRACE(std::string(file) + " object " + std::to_string(n));
            QByteArray copied = file;
            const double none[3] = {0, 0, 0};
            const mapedit::Change copy = mapedit::copy(copied, object(copied, n), "kopie", none);
            ASSERT_EQ(copy.size(), 1u);
            ASSERT_TRUE(mapedit::apply(copied, copy));
            const std::optional<mapedit::Element> element =
                mapedit::scanElement(copied, copy[0].at + copy[0].inserted.indexOf('<'));
            ASSERT_TRUE(element);
            ASSERT_TRUE(mapedit::apply(copied, mapedit::remove(copied, *element)));
            EXPECT_EQ(copied.toStdString(), std::string(file));
        }
    }
}

// Digits that do not read back, "-0", or a sum taken through a float
// (100.7f + 0.1 is 100.79999, not 100.8), or a malformed value not read as 0.
TEST(MapEdit, NumbersAreTheShortestThatReadBackAndSumsStartFromTheDecimalText) {
    EXPECT_EQ(mapedit::number(5.0f), "5");
    EXPECT_EQ(mapedit::number(12.5f), "12.5");
    EXPECT_EQ(mapedit::number(-0.9f), "-0.9");
    EXPECT_EQ(mapedit::number(-0.0f), "0");
    const struct {
        const char* written;
        double delta;
        const char* expected;
    } sums[] = {{"0.3", 0.1, "0.4"}, {"0.1", 0.2, "0.3"},     {"100.7", 0.1, "100.8"},
                {"-0.5", 0.5, "0"},  {" 2.25 ", -3, "-0.75"}, {"vijf", 1, "1"}};
    for (const auto& sum : sums) {
        const QByteArray text =
            "<objects><object><pos x=\"" + QByteArray(sum.written) + "\"/></object></objects>";
        const double delta[3] = {sum.delta, 0, 0};
        const mapedit::Change change = mapedit::move(text, object(text, 0), delta);
        ASSERT_EQ(change.size(), 1u) << sum.written;
        EXPECT_EQ(change[0].inserted.toStdString(), sum.expected) << sum.written;
    }
}

// A place mapped through bytes instead of UTF-16 units, a line counted
// without its CR, the '<' of the neighbour taken, or an object in a comment.
TEST(MapEdit, FindElementLandsOnTheTagFromTheReadersPlace) {
    const char* const texts[] = {
        "<objects>\r\n  <object key=\"a\"/>\r\n  <object key=\"b\">\r\n  "
        "</object>\r\n</objects>\r\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<objects><n>\xF0\x9F\x8C\xB2\xC3\xBC</n>"
        "<object key=\"a\"/>\n \xF0\x9F\x98\x80 <object key=\"b\"/>\xF0\x9F\x98\x80\xE2\x82\xAC"
        "<object key=\"c\"/></objects>",
        "<objects><object key=\"a\"/><object key=\"b\"></object><object key=\"c\"/></objects>",
        "<objects>\n  <!-- <object key=\"x\"/> -->\n  <object key=\"a\"/><!-- \xF0\x9F\x8C\xB2 -->"
        "<object key=\"b\"/>\n  <!-- c --> <object key=\"c\"/>\n</objects>",
    };
    for (const char* file : texts) {
        const QByteArray text = file;
        const std::vector<Place> places = objectPlaces(text);
        ASSERT_FALSE(places.empty()) << file;
        for (const Place& place : places) {
            EXPECT_EQ(mapedit::findElement(text, place.line, place.column, "object"),
                      text.indexOf("<object key=\"" + place.key + "\""))
                << file << " " << place.key.toStdString();
            EXPECT_EQ(mapedit::findElement(text, place.line, place.column, "pos"), -1) << file;
        }
    }
}

// A change applied over bytes that are no longer what it replaces, or
// outside the text, or applied in part.
TEST(MapEdit, ApplyRefusesAChangeWhoseBytesAreNotThere) {
    const QByteArray original = kCrlf;
    const double step[3] = {1, 0, 1};
    const mapedit::Change stale = mapedit::move(original, object(original, 0), step);
    ASSERT_EQ(stale.size(), 2u);
    QByteArray moved = original;
    ASSERT_TRUE(mapedit::apply(moved, mapedit::turn(moved, object(moved, 0), 90)));
    const mapedit::Change wrong[] = {
        {stale[0], {stale[1].at, "7", "8"}}, // the first splice fits, the second not
        {{original.size() - 2, "\r\n\r\n", ""}},
        {{-1, "<", ""}},
    };
    for (const mapedit::Change& change : wrong) {
        QByteArray text = original;
        EXPECT_FALSE(mapedit::apply(text, change));
        EXPECT_EQ(text, original);
    }
    const QByteArray turned = moved;
    EXPECT_FALSE(mapedit::apply(moved, stale)) << "the <rot> moved the <pos>";
    EXPECT_EQ(moved, turned);
}

} // namespace
