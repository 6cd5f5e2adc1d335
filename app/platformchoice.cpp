// PlatformChoice: the environment's display variables into a platform.
#include "app/platformchoice.h"

#include <QList>

namespace {
// Qt platforms that show a window without an X or Wayland server.
bool needsNoServer(const QByteArray& platform) {
    static const QList<QByteArray> kServerless = {"offscreen", "minimal", "minimalegl",
                                                  "vnc",       "eglfs",   "linuxfb"};
    return kServerless.contains(platform.split(':').first());
}
} // namespace

PlatformChoice PlatformChoice::choose(const std::function<QByteArray(const char*)>& getenv) {
    const QByteArray chosen = getenv("QT_QPA_PLATFORM");
    const bool x11 = !getenv("DISPLAY").isEmpty();
    const bool wayland = !getenv("WAYLAND_DISPLAY").isEmpty();
    bool serverless = false;
    for (const QByteArray& platform : chosen.split(';')) // a list: the first that works
        serverless = serverless || needsNoServer(platform);
    PlatformChoice choice;
    if (!x11 && !wayland && !serverless)
        choice.kind = NoDisplay;
    else if (chosen.isEmpty() && x11 && (wayland || getenv("XDG_SESSION_TYPE") == "wayland"))
        choice.kind = UseXcb;
    return choice;
}
