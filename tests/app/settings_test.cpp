// The user's settings file: good values are taken, each bad one is named at
// its line with the default that stands, and no file means the defaults.
#include "app/settings.h"
#include "tests/support/gltest.h"

#include <gtest/gtest.h>

TEST(Settings, GoodValuesAreTakenAndEachBadOneIsNamedAtItsLineWithTheDefault) {
    const struct {
        const char* what;
        const char* file; // null: no file at all
        double sensitivity;
        bool invertY;
        int frameRate;
        const char* forward; // the keys of forward, by their US names
        const char* turnLeft;
        QStringList problems; // each begins with "kolvar.ini:LINE:1: waarschuwing: "
    } cases[] = {
        {"no file", nullptr, 1.0, false, 0, "W Up", "Q", {}},
        {"all good",
         "[mouse]\nsensitivity=0.5\ninvertY=true\n[view]\nframeRate=20\n[keys]\nforward=Z, "
         "Up\nturnLeft=A\nleft=Left\n",
         0.5,
         true,
         20,
         "Z Up",
         "A",
         {}},
        {"one key of two",
         "[keys]\nforward=I\n",
         1.0,
         false,
         0,
         "W Up",
         "Q",
         {":2:1: waarschuwing: [keys] forward: I is al een toets van de wereld of van het "
          "bewerken; de standaard W, Up geldt"}},
        {"bad values, each named",
         "; mine\n[mouse]\nsensitivity=fast\ninvertY=maybe\n[view]\nframeRate=7\n",
         1.0,
         false,
         0,
         "W Up",
         "Q",
         {":3:1: waarschuwing: [mouse] sensitivity: \"fast\" is geen getal van 0.05 tot 20; de "
          "standaard 1.0 geldt",
          ":4:1: waarschuwing: [mouse] invertY: \"maybe\" is geen true of false; de standaard "
          "false geldt",
          ":6:1: waarschuwing: [view] frameRate: \"7\" is geen 0 (de verversing van het scherm) "
          "of een aantal beelden per seconde van 10 tot 500; de standaard 0 geldt"}},
        {"keys that cannot be",
         "[keys]\nforward=W, Up, Down\nbackward=Hyper\nturnLeft=PageUp\nturnRight=Q\nup=Q\n"
         "jump=Space\n",
         1.0,
         false,
         0,
         "W Up",
         "",
         {":2:1: waarschuwing: [keys] forward: \"W, Up, Down\" is niet een of twee toetsen; de "
          "standaard W, Up geldt",
          ":3:1: waarschuwing: [keys] backward: Hyper is geen toets die Kolvar kent (zie "
          "README.md); de standaard S, Down geldt",
          ":4:1: waarschuwing: [keys] turnLeft: PageUp is al een toets van de wereld of van het "
          "bewerken; de standaard Q geldt",
          ":6:1: waarschuwing: [keys] up: Q is al gegeven aan een andere beweging; de standaard "
          "R geldt",
          ":7:1: waarschuwing: [keys] jump: onbekende instelling, wordt genegeerd"}},
    };
    for (const auto& c : cases) {
        testgl::TempWorkDir dir;
        const QString path = dir.path + "/kolvar.ini";
        if (c.file)
            dir.write("kolvar.ini", c.file);
        QStringList problems;
        const Settings s = Settings::read(path, problems);
        EXPECT_EQ(s.sensitivity, c.sensitivity) << c.what;
        EXPECT_EQ(s.invertY, c.invertY) << c.what;
        EXPECT_EQ(s.frameRate, c.frameRate) << c.what;
        const auto names = [&](Move move) {
            QStringList list;
            for (quint32 code : s.keys.keysOf(move))
                list << KeyBindings::placeOf(code)->name;
            return list.join(" ").toStdString();
        };
        EXPECT_EQ(names(Move::Forward), c.forward) << c.what;
        EXPECT_EQ(names(Move::TurnLeft), c.turnLeft) << c.what;
        QStringList expected;
        for (const QString& p : c.problems)
            expected << path + p;
        problems.sort(); // unknown entries are named first
        expected.sort();
        EXPECT_EQ(problems.join("\n").toStdString(), expected.join("\n").toStdString()) << c.what;
    }
}
