// PlatformChoice: which Qt platform the program runs on, decided from the
// environment before any Qt application exists. Mouse look pulls the
// pointer back to the centre of the view, which only X11 lets a program do:
// on a Wayland session where the user chose no platform, Kolvar runs
// through XWayland (xcb) when there is one.
#pragma once

#include <QByteArray>
#include <functional>

struct PlatformChoice {
    enum Kind {
        NoDisplay, // nothing to show a window on: the program ends
        Keep,      // Qt's own choice, or the user's
        UseXcb,    // set QT_QPA_PLATFORM to xcb: XWayland on a Wayland session
    };
    Kind kind = Keep;

    // getenv: the value of an environment variable, empty when unset.
    static PlatformChoice choose(const std::function<QByteArray(const char*)>& getenv);
};
