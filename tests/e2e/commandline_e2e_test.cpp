// The real program and tools on command lines as a user types them: help,
// version, an unknown option, no display, a map opened by its absolute path
// from another folder, a file name that is not UTF-8.
#include "console/commandline.h"
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(CommandLineE2e, EachLineEndsWithItsStatusAndSaysSo) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    // A world elsewhere: its include and image are named from the folder
    // that holds its maps/, and its one warning names the map as given.
    dir.write("world/maps/w.xml", R"(<map><includes><include file="light.xml"/></includes>
<textures><texture key="g" file="maps/textures/g.png"/></textures>
<blueprints><blueprint type="quad" key="q" colour="red"><params width="9" height="9"/>
<textures><texture textureKey="g"/></textures></blueprint></blueprints></map>)");
    dir.write("world/maps/light.xml", R"(<map><lights><light nr="1" on="true"/></lights></map>)");
    testgl::writeImage("world/maps/textures/g.png", 4, 4, [](int, int) { return 0xff00ff00; });
    QDir().mkpath("here");
    const QString map = dir.path + "/world/maps/w.xml";
    const QString bin = qEnvironmentVariable("KOLVAR_BINARY_DIR");
    const struct {
        QString line; // for sh, from the folder here/; $K is kolvar, $B the folder of the tools
        int status;
        QString said;   // in the output
        QString absent; // not in the output
    } cases[] = {
        {"\"$K\" --help", 0, "gebruik: kolvar [OPTIE]... [MAP]\n", "InitializeGl"},
        {"\"$K\" -v", 0, "kolvar " + CommandLine::version() + "\n", "gebruik"},
        {"\"$K\" --bogus maps/x.xml", 2, "onbekende optie --bogus\ngebruik:", "InitializeGl"},
        {"DISPLAY= WAYLAND_DISPLAY= \"$K\"", 2, "xvfb-run", "InitializeGl"},
        {"\"$K\" --frames 2 \"" + map + "\"", 0,
         map + ":3:13: waarschuwing: onbekend attribuut colour", "fout"},
        // An unset map variable in a script: refused in one line, nothing read.
        {"\"$K\" --check \"\"", 2,
         "kolvar: de naam van de map is leeg; geef een map of laat MAP weg\n", "fouten"},
        {"timeout 20 \"$K\" \"\" | wc -l | grep -qx 1 && timeout 20 \"$K\" \"\"", 2,
         "de naam van de map is leeg", "InitializeGl"},
        // Quiet: the problems and the summary without the progress lines;
        // by default the progress lines are there.
        {"\"$K\" -q --frames 2 \"" + map + "\"", 0,
         map + ":3:13: waarschuwing: onbekend attribuut colour", "Texture inladen"},
        {"\"$K\" --frames 2 \"" + map + "\"", 0, "Texture inladen : g \n", "fout"},
        {"printf '<map><includes><include file=\"gone.xml\"/></includes></map>' >q.xml; "
         "\"$K\" --quiet --check q.xml",
         2, "q.xml:1:16: fout: include maps/gone.xml kan niet gelezen worden: bestaat niet",
         "Den fileerror"},
        // A cut image: the decoder's own words in the located line, and not
        // on a line of their own.
        {"head -c 2000 \"$KOLVAR_SOURCE_DIR/maps/textures/grass.png\" >cut.png; printf "
         "'<map><textures>"
         "<texture key=\"c\" file=\"cut.png\"/></textures></map>' >c.xml; \"$K\" --check c.xml "
         "2>&1",
         2, "c.xml:1:16: fout: texture \"c\": cut.png is beschadigd (libpng error: ", "\nlibpng"},
        {"printf '<map>\\n<x/></map>' >\"$(printf 'caf\\351.xml')\"; "
         "\"$K\" --check \"$(printf 'caf\\351.xml')\"",
         1, "caf\\xe9.xml:2:", "bestaat niet"},
        {"\"$B/kolvar-3ds\" --version", 0, "kolvar-3ds " + CommandLine::version(), "gebruik"},
        // The inspector speaks Dutch too, its reader's problems included.
        {"head -c 900 \"$KOLVAR_SOURCE_DIR/maps/models/car_red.3ds\" >cut.3ds && "
         "\"$B/kolvar-3ds\" cut.3ds",
         1, "reikt voorbij het einde van het bestand", "past the end"},
        {"\"$B/kolvar-make-images\" --help && test ! -e ./--help", 0, "gebruik: kolvar-make-images",
         "sky_north"},
        {"\"$B/kolvar-make-models\" -h && test ! -e ./-h", 0, "gebruik: kolvar-make-models",
         "cannot"},
        {"\"$B/kolvar-make-world\" --cubes 5 out 1 1", 2, "onbekende optie --cubes", "5 kubussen"},
    };
    for (const auto& c : cases) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.name);
        env.insert("K", e2e::programPath());
        env.insert("B", bin);
        run.setProcessEnvironment(env);
        run.setWorkingDirectory(dir.path + "/here");
        run.start("sh", {"-c", c.line});
        ASSERT_TRUE(run.waitForFinished(60000)) << c.line.toStdString();
        const QString out = QString::fromLocal8Bit(run.readAllStandardOutput());
        EXPECT_EQ(run.exitCode(), c.status) << c.line.toStdString() << "\n" << out.toStdString();
        EXPECT_TRUE(out.contains(c.said)) << c.line.toStdString() << "\n" << out.toStdString();
        EXPECT_FALSE(out.contains(c.absent)) << c.line.toStdString() << "\n" << out.toStdString();
    }
}
