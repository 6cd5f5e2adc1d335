// Settings: what the user keeps in $XDG_CONFIG_HOME/kolvar/kolvar.ini
// (~/.config/kolvar/kolvar.ini), an INI file that Kolvar reads at start and
// never writes:
//   [mouse] sensitivity=1.0   times the turn of one mouse move (0.05 to 20)
//           invertY=false     true: moving the mouse up looks down
//   [view]  frameRate=0       frames a second: 0 the display's rate, 20 one
//                             frame a step (no blending), 10 to 500 paced
//   [keys]  forward=W, Up     one or two keys for each movement (see
//           ...               KeyBindings::moveName), named as on a US layout
// A value that cannot be used is named, with its file and line, and the
// default stands.
#pragma once

#include "camera/keybindings.h"

#include <QString>
#include <QStringList>

struct Settings {
    static constexpr double kMinSensitivity = 0.05;
    static constexpr double kMaxSensitivity = 20.0;
    static constexpr int kMinFrameRate = 10; // frames a second, besides 0
    static constexpr int kMaxFrameRate = 500;
    static constexpr int kDesignFrameRate = 20; // one frame a step, as the world steps

    double sensitivity = 1.0;
    bool invertY = false;
    int frameRate = 0;
    KeyBindings keys;

    // $XDG_CONFIG_HOME/kolvar/kolvar.ini, or ~/.config/kolvar/kolvar.ini.
    static QString defaultPath();
    // Reads the file at path; a missing file gives the defaults and no line.
    // problems: one console line for each value that was not used.
    static Settings read(const QString& path, QStringList& problems);
};
