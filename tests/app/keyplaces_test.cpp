// The movement keys by their place: what a key typed on a US, a French and a
// Colemak layout does, with the layouts read by xkbcommon from the system's
// keyboard data, as the program reads the display's.
#include "app/keylabels.h"
#include "camera/keybindings.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The place on the layout where the letter is typed; 0 when there is none.
quint32 placeOf(const KeyLabels& labels, const QString& letter) {
    for (const KeyBindings::Place& place : KeyBindings::places())
        if (labels.label(place.code) == letter)
            return place.code;
    return 0;
}

} // namespace

TEST(KeyPlaces, EachLayoutMovesWithTheKeysInTheSamePlacesAndWorldLettersKeepTheirMeaning) {
    const struct {
        const char* layout;
        const char* variant;
        const char* letter; // typed on that layout, as xdotool or a user would
        Move move;
    } cases[] = {
        {"us", "", "w", Move::Forward},
        {"us", "", "a", Move::Left},
        {"us", "", "q", Move::TurnLeft},
        {"us", "", "e", Move::TurnRight},
        {"us", "", "s", Move::Backward},
        {"us", "", "d", Move::Right},
        {"us", "", "r", Move::Up},
        {"us", "", "f", Move::Down},
        {"us", "", "z", Move::None},
        {"us", "", "l", Move::None},
        {"fr", "", "z", Move::Forward},
        {"fr", "", "q", Move::Left},
        {"fr", "", "a", Move::TurnLeft},
        {"fr", "", "s", Move::Backward},
        {"fr", "", "d", Move::Right},
        {"fr", "", "w", Move::None},
        {"fr", "", "m", Move::None},
        // Colemak types p and t where US has r and f: the letters win.
        {"us", "colemak", "w", Move::Forward},
        {"us", "colemak", "p", Move::None},
        {"us", "colemak", "t", Move::None},
        {"us", "colemak", "r", Move::Backward},
    };
    const KeyBindings keys;
    for (const auto& c : cases) {
        const KeyLabels labels = KeyLabels::fromLayout(c.layout, c.variant);
        if (labels.isEmpty())
            GTEST_SKIP() << "no xkbcommon or no keyboard data for " << c.layout;
        const quint32 code = placeOf(labels, c.letter);
        ASSERT_NE(code, 0u) << c.layout << " " << c.letter;
        const int qtKey = labels.qtKey(code);
        const std::string what = std::string(c.layout) + c.variant + " " + c.letter;
        EXPECT_EQ(keys.moveFor(code, qtKey, Qt::NoModifier, true), c.move) << what;
        EXPECT_EQ(keys.moveFor(code, qtKey, Qt::ControlModifier, true), Move::None)
            << what << ": Ctrl combinations are editing";
        EXPECT_EQ(keys.moveFor(code, qtKey, Qt::ControlModifier, false), c.move)
            << what << ": a release ends the move, Ctrl or not";
    }
    // Without a place (code 0) the design's letters act.
    EXPECT_EQ(keys.moveFor(0, Qt::Key_Z, Qt::NoModifier, true), Move::Forward);
    EXPECT_EQ(keys.moveFor(0, Qt::Key_W, Qt::NoModifier, true), Move::None);
    EXPECT_EQ(keys.moveFor(0, Qt::Key_Tab, Qt::NoModifier, false), Move::View);
}

// The overlay names the keys as the layout labels them, and a layout that
// puts a world letter on a movement place gets a line naming the movement.
TEST(KeyPlaces, TheOverlayNamesEachMovementAsTheLayoutLabelsItsKey) {
    const struct {
        const char* layout;
        const char* variant;
        QStringList labels; // forward, backward, left, right, turnLeft, turnRight, up, down, view
        QStringList moved;  // movements that lost their place to a world letter
    } cases[] = {
        {"fr", "", {"Z", "S", "Q", "D", "A", "E", "R", "F", "tab"}, {}},
        {"us", "", {"W", "S", "A", "D", "Q", "E", "R", "F", "tab"}, {}},
        {"us", "colemak", {"W", "R", "A", "S", "Q", "F", "P", "T", "tab"}, {"up", "down"}},
    };
    for (const auto& c : cases) {
        const KeyLabels labels = KeyLabels::fromLayout(c.layout, c.variant);
        if (labels.isEmpty())
            GTEST_SKIP() << "no xkbcommon or no keyboard data";
        KeyBindings keys;
        const QStringList lines = labels.apply(keys, "kolvar.ini");
        QStringList shown;
        for (int i = 0; i < KeyBindings::kMoves; ++i)
            shown << keys.label(KeyBindings::moveAt(i));
        EXPECT_EQ(shown, c.labels) << c.layout << c.variant;
        ASSERT_EQ(lines.size(), c.moved.size()) << lines.join("\n").toStdString();
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].contains("geef " + c.moved[i] +
                                          " een andere toets onder [keys] "
                                          "in kolvar.ini"))
                << lines[i].toStdString();
    }
}
