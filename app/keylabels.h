// KeyLabels: what each key place types on a keyboard layout, read with
// libxkbcommon (the library Qt's own keyboard handling uses): "w" on a US
// layout where AZERTY has "z". The overlay names the movement keys with
// these, and a layout that puts a world letter on a movement place is told.
#pragma once

#include "camera/keybindings.h"

#include <QString>
#include <QStringList>
#include <map>

class KeyLabels {
public:
    // The current layout of the X display ($DISPLAY); empty without X11 or xkbcommon.
    static KeyLabels fromDisplay();
    // A layout by its xkb names ("us", "fr"; variant "colemak", "dvorak", or empty).
    static KeyLabels fromLayout(const char* layout, const char* variant = "");

    bool isEmpty() const { return labels.empty(); }
    // What the key at the place types without modifiers ("w", ";"), or empty.
    QString label(quint32 code) const;
    // The Qt key code that key gives (Qt::Key_W for "w"), 0 when not known.
    int qtKey(quint32 code) const;

    // Names each movement in the overlay by its first key's label, and
    // returns a console line for each movement place where this layout
    // puts a world key (the world key wins there). file: the settings file,
    // where the movement can be given another key.
    QStringList apply(KeyBindings& keys, const QString& file) const;

private:
    std::map<quint32, QString> labels; // every place of KeyBindings::places()
};
