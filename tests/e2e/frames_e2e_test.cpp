// kolvar --frames N: the real program times N frames, prints its figures and ends with status 0.
#include "tests/e2e/e2e.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(FramesMode, PrintsItsFiguresAndExitsWithStatusZero) {
    e2e::Display display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    e2e::WorkDir dir;
    dir.write("maps/basicMap.xml", "<map><camera><startingPos posx=\"0\" posy=\"2.5\" posz=\"35\" "
                                   "viewx=\"0\" viewy=\"2.5\" viewz=\"30\"/></camera></map>");
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display.name());
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path);
    program.start(qEnvironmentVariable("KOLVAR_BINARY_DIR") + "/kolvar", {"--frames", "7"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const auto first = QRegularExpression("Eerste beeld na (\\d+\\.\\d{3}) s\\n").match(out);
    const auto times = QRegularExpression("Beeldtijd over 7 beelden: gemiddeld ([\\d.]+) ms, "
                                          "mediaan ([\\d.]+) ms, 95e percentiel ([\\d.]+) ms\\n")
                           .match(out);
    const auto cpu =
        QRegularExpression("CPU per beeld \\(alle threads\\): ([\\d.]+) ms\\n").match(out);
    ASSERT_TRUE(first.hasMatch() && times.hasMatch() && cpu.hasMatch()) << out.toStdString();
    EXPECT_GT(first.captured(1).toDouble(), 0.0);
    EXPECT_GT(times.captured(1).toDouble(), 0.0);
    EXPECT_LE(times.captured(2).toDouble(), times.captured(3).toDouble()); // median <= 95th
    EXPECT_GT(cpu.captured(1).toDouble(), 0.0);
}
