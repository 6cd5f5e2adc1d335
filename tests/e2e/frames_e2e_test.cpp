// kolvar --frames N: the real program times N frames, prints its figures and ends with status 0.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(FramesMode, PrintsItsFiguresAndExitsWithStatusZero) {
    e2e::Display display;
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", "<map/>");
    QProcess program;
    program.setWorkingDirectory(dir.path);
    qputenv("DISPLAY", display.name.toLocal8Bit()); // the program's, inherited
    program.start(qEnvironmentVariable("KOLVAR_BINARY_DIR") + "/kolvar", {"--frames", "7"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const auto figures =
        QRegularExpression("Eerste beeld na \\d+\\.\\d{3} s\\n(.*\\n)*"
                           "Beeldtijd over 7 beelden: gemiddeld ([\\d.]+) ms, mediaan ([\\d.]+) "
                           "ms, 95e percentiel ([\\d.]+) ms\\nCPU per beeld \\(alle threads\\): "
                           "([\\d.]+) ms\\n")
            .match(out);
    ASSERT_TRUE(figures.hasMatch()) << out.toStdString();
    EXPECT_LE(figures.captured(3).toDouble(), figures.captured(4).toDouble()); // median <= 95th
}
