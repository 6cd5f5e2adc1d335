// The platform chosen from the environment: no display ends the program,
// a Wayland session with XWayland and no platform of the user's runs on xcb.
#include "app/platformchoice.h"

#include <QMap>
#include <gtest/gtest.h>

TEST(PlatformChoice, FollowsTheDisplayVariablesAndTheUsersChoice) {
    using P = PlatformChoice;
    const struct {
        const char* display;
        const char* wayland;
        const char* session;
        const char* chosen; // QT_QPA_PLATFORM
        P::Kind kind;
    } cases[] = {
        {"", "", "", "", P::NoDisplay},
        {"", "", "x11", "xcb", P::NoDisplay},               // chosen, but no server for it
        {"", "", "", "offscreen", P::Keep},                 // needs no server
        {"", "", "", "wayland;offscreen", P::Keep},         // a list: one needs no server
        {":0", "", "x11", "", P::Keep},                     // plain X11
        {":0", "wayland-0", "wayland", "", P::UseXcb},      // XWayland is there
        {":0", "", "wayland", "", P::UseXcb},               // the session alone says Wayland
        {"", "wayland-0", "wayland", "", P::Keep},          // no XWayland: mouse look warns
        {":0", "wayland-0", "wayland", "wayland", P::Keep}, // the user's choice stands
    };
    for (const auto& c : cases) {
        const QMap<QByteArray, QByteArray> env = {{"DISPLAY", c.display},
                                                  {"WAYLAND_DISPLAY", c.wayland},
                                                  {"XDG_SESSION_TYPE", c.session},
                                                  {"QT_QPA_PLATFORM", c.chosen}};
        const P choice = P::choose([&](const char* name) { return env.value(name); });
        EXPECT_EQ(choice.kind, c.kind)
            << "DISPLAY=" << c.display << " WAYLAND_DISPLAY=" << c.wayland
            << " XDG_SESSION_TYPE=" << c.session << " QT_QPA_PLATFORM=" << c.chosen;
    }
}
