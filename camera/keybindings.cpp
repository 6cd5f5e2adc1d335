// KeyBindings: the places of the movement keys and the names of the places.
#include "camera/keybindings.h"

#include <algorithm>

namespace {

// xkb keycodes of the places on a PC keyboard (evdev code + 8).
enum : quint32 {
    kEscape = 9,
    kDigit1 = 10, // 1 .. 9, 0 follow
    kTab = 23,
    kQ = 24,
    kW = 25,
    kE = 26,
    kR = 27,
    kA = 38,
    kS = 39,
    kD = 40,
    kF = 41,
    kSpace = 65,
    kF5 = 71,
    kF12 = 96,
    kUp = 111,
    kPageUp = 112,
    kLeft = 113,
    kRight = 114,
    kDown = 116,
    kPageDown = 117,
    kDelete = 119,
};

std::vector<KeyBindings::Place> makePlaces() {
    std::vector<KeyBindings::Place> list = {
        {"Q", 24}, {"W", 25}, {"E", 26}, {"R", 27}, {"T", 28}, {"Y", 29}, {"U", 30},
        {"I", 31}, {"O", 32}, {"P", 33}, {"A", 38}, {"S", 39}, {"D", 40}, {"F", 41},
        {"G", 42}, {"H", 43}, {"J", 44}, {"K", 45}, {"L", 46}, {"Z", 52}, {"X", 53},
        {"C", 54}, {"V", 55}, {"B", 56}, {"N", 57}, {"M", 58}};
    static const char* const digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    for (quint32 i = 0; i < 10; ++i)
        list.push_back({digits[i], kDigit1 + i});
    const std::vector<KeyBindings::Place> others = {
        {"Minus", 20},        {"Equal", 21},       {"BracketLeft", 34},
        {"BracketRight", 35}, {"Semicolon", 47},   {"Apostrophe", 48},
        {"Grave", 49},        {"Backslash", 51},   {"Comma", 59},
        {"Period", 60},       {"Slash", 61},       {"Tab", kTab},
        {"Space", kSpace},    {"Up", kUp},         {"Down", kDown},
        {"Left", kLeft},      {"Right", kRight},   {"Home", 110},
        {"End", 115},         {"PageUp", kPageUp}, {"PageDown", kPageDown},
        {"Insert", 118},      {"Delete", kDelete}, {"Escape", kEscape},
        {"F5", kF5},          {"F12", kF12}};
    list.insert(list.end(), others.begin(), others.end());
    return list;
}

} // namespace

const std::vector<KeyBindings::Place>& KeyBindings::places() {
    static const std::vector<Place> list = makePlaces();
    return list;
}

const KeyBindings::Place* KeyBindings::placeNamed(const QString& name) {
    for (const Place& place : places())
        if (name.compare(QLatin1String(place.name), Qt::CaseInsensitive) == 0)
            return &place;
    return nullptr;
}

const KeyBindings::Place* KeyBindings::placeOf(quint32 code) {
    for (const Place& place : places())
        if (place.code == code)
            return &place;
    return nullptr;
}

const char* KeyBindings::moveName(Move move) {
    static const char* const names[kMoves] = {"forward",   "backward", "left", "right", "turnLeft",
                                              "turnRight", "up",       "down", "view"};
    return move == Move::None ? "" : names[index(move)];
}

Move KeyBindings::letterMove(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Z:
    case Qt::Key_Up:
        return Move::Forward;
    case Qt::Key_S:
    case Qt::Key_Down:
        return Move::Backward;
    case Qt::Key_Q:
    case Qt::Key_Left:
        return Move::Left;
    case Qt::Key_D:
    case Qt::Key_Right:
        return Move::Right;
    case Qt::Key_A:
        return Move::TurnLeft;
    case Qt::Key_E:
        return Move::TurnRight;
    case Qt::Key_R:
        return Move::Up;
    case Qt::Key_F:
        return Move::Down;
    case Qt::Key_Tab:
        return Move::View;
    default:
        return Move::None;
    }
}

bool KeyBindings::isWorldKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_L:
    case Qt::Key_M:
    case Qt::Key_P:
    case Qt::Key_C:
    case Qt::Key_T:
    case Qt::Key_G:
    case Qt::Key_H:
    case Qt::Key_I:
    case Qt::Key_Space:
    case Qt::Key_F5:
    case Qt::Key_F12:
    case Qt::Key_Escape:
        return true;
    default:
        return qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9;
    }
}

bool KeyBindings::isReserved(quint32 code) {
    if (code == kPageUp || code == kPageDown || code == kDelete)
        return true; // editing in the window
    const Place* place = placeOf(code);
    if (!place)
        return false;
    const QString name = QLatin1String(place->name);
    if (name.size() == 1) // a letter or digit, the world's by its US label (Qt's codes are ASCII)
        return isWorldKey(name[0].unicode());
    return code == kSpace || code == kF5 || code == kF12 || code == kEscape;
}

KeyBindings::KeyBindings() {
    keys[index(Move::Forward)] = {kW, kUp};
    keys[index(Move::Backward)] = {kS, kDown};
    keys[index(Move::Left)] = {kA, kLeft};
    keys[index(Move::Right)] = {kD, kRight};
    keys[index(Move::TurnLeft)] = {kQ};
    keys[index(Move::TurnRight)] = {kE};
    keys[index(Move::Up)] = {kR};
    keys[index(Move::Down)] = {kF};
    keys[index(Move::View)] = {kTab};
    static const char* const letters[kMoves] = {"Z", "S", "Q", "D", "A", "E", "R", "F", "tab"};
    for (int i = 0; i < kMoves; ++i)
        labels[i] = QLatin1String(letters[i]);
}

Move KeyBindings::moveFor(quint32 code, int qtKey, Qt::KeyboardModifiers modifiers,
                          bool press) const {
    if (press && (modifiers & Qt::ControlModifier))
        return Move::None;
    if (isWorldKey(qtKey))
        return Move::None;
    if (code == 0)
        return letterMove(qtKey);
    for (int i = 0; i < kMoves; ++i)
        if (std::find(keys[i].begin(), keys[i].end(), code) != keys[i].end())
            return moveAt(i);
    return Move::None;
}

void KeyBindings::bind(Move move, const std::vector<quint32>& codes) {
    for (std::vector<quint32>& list : keys)
        for (quint32 code : codes)
            list.erase(std::remove(list.begin(), list.end(), code), list.end());
    keys[index(move)] = codes;
}
