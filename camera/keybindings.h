// KeyBindings: which key moves the viewer, by the key's place on the
// keyboard rather than by its letter, so the movement keys sit under the
// same fingers on every layout. A place is the key's X11/xkb keycode (the
// evdev code + 8), which Qt gives as QKeyEvent::nativeScanCode on X11 and
// Wayland. Places are named as the US layout labels them ("W", "Up").
#pragma once

#include <QString>
#include <Qt>
#include <vector>

// What a movement key does; the camera acts on these (see Camera::press).
enum class Move { None, Forward, Backward, Left, Right, TurnLeft, TurnRight, Up, Down, View };

class KeyBindings {
public:
    struct Place {
        const char* name; // as on a US layout: "W", "Up", "Tab", "F5"
        quint32 code;     // xkb keycode
    };
    static constexpr int kMoves = 9; // Forward .. View
    static constexpr int kMaxKeys = 2;

    // Every key that can be named, in the order of the README.
    static const std::vector<Place>& places();
    // The place named (case-insensitive), or null.
    static const Place* placeNamed(const QString& name);
    static const Place* placeOf(quint32 code);
    // The entry's name under [keys]: "forward", "turnLeft", ...
    static const char* moveName(Move move);
    static Move moveAt(int index) { return Move(index + 1); }
    // The keys of the design, by their letter: Z S Q D A E R F, Tab and the
    // arrows. Where a key has no place (code 0) these act.
    static Move letterMove(int qtKey);
    // True for the keys that keep their letter or meaning on every layout:
    // the world's keys (L M P C T G H I, the digits, Space, F5, F12, Escape).
    static bool isWorldKey(int qtKey);
    // True for a place that editing in the window or the world already uses.
    static bool isReserved(quint32 code);

    // The default places: where AZERTY has Z Q S D A E R F (QWERTY's W A S D
    // Q E R F), the arrows and Tab.
    KeyBindings();

    // The move of a key press or release. A press with Ctrl moves nothing
    // (Ctrl combinations are editing); a release always ends its move. A key
    // that means a world letter on this layout keeps its letter.
    Move moveFor(quint32 code, int qtKey, Qt::KeyboardModifiers modifiers, bool press) const;

    const std::vector<quint32>& keysOf(Move move) const { return keys[index(move)]; }
    // Gives the move these places; any other move loses them.
    void bind(Move move, const std::vector<quint32>& codes);

    // The overlay's name of a move's first key: its label on the user's
    // layout, or the design's letter until one is set.
    QString label(Move move) const { return labels[index(move)]; }
    void setLabel(Move move, const QString& text) { labels[index(move)] = text; }

private:
    static int index(Move move) { return int(move) - 1; }
    std::vector<quint32> keys[kMoves];
    QString labels[kMoves];
};
