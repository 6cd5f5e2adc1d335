// kolvar --frames N: the real program times N frames, prints its figures and ends with status 0.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <array>
#include <gtest/gtest.h>

TEST(FramesMode, PrintsItsFiguresAndExitsWithStatusZero) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", "<map/>");
    e2e::Program program(display, dir.path, {"--frames", "7"});
    EXPECT_EQ(program.waitForExit(60000), 0);
    const QString out = QString::fromStdString(program.output());
    const auto figures =
        QRegularExpression("Eerste beeld na \\d+\\.\\d{3} s\\n(.*\\n)*"
                           "Beeldtijd over 7 beelden: gemiddeld ([\\d.]+) ms, mediaan ([\\d.]+) "
                           "ms, 95e percentiel ([\\d.]+) ms, 99e percentiel ([\\d.]+) ms\\nCPU per beeld \\(alle threads\\): "
                           "([\\d.]+) ms\\n")
            .match(out);
    EXPECT_TRUE(figures.hasMatch()) << out.toStdString();
}

// The frame loop in the real window, on a US and on a French keyboard: the
// key in the forward place walks forward and every frame of the walk shows
// the eye further on; once all is still, nothing more is drawn.
class FrameLoopE2e : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Layouts, FrameLoopE2e, ::testing::Values("us", "fr"));

TEST_P(FrameLoopE2e, TheForwardPlaceWalksEveryFrameShowsItAndAStillWorldDrawsNothing) {
    const QString layout = GetParam();
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    QProcess setLayout;
    setLayout.start("setxkbmap", {"-display", display.name, layout});
    if (!setLayout.waitForFinished(10000) || setLayout.exitCode() != 0)
        GTEST_SKIP() << "setxkbmap cannot set the " << layout.toStdString() << " layout";
    // Some X servers take the layout without error and keep their own.
    QProcess query;
    query.start("setxkbmap", {"-display", display.name, "-query"});
    query.waitForFinished(10000);
    if (!QRegularExpression("layout:\\s+" + layout + "\\b").match(query.readAll()).hasMatch())
        GTEST_SKIP() << "this X server keeps its layout; setxkbmap " << layout.toStdString()
                     << " did not take";
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", "<map/>"); // the start point, looking along -z
    e2e::Program program(display, dir.path, {"--frame-log", "frames.log"});
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    ASSERT_FALSE(program.window().isEmpty());
    e2e::Program::frames(10);
    const QString forward = layout == "fr" ? "z" : "w";
    program.xdo({"keydown", forward});
    e2e::Program::frames(20);
    program.xdo({"keyup", forward});
    e2e::Program::frames(20); // a second of stillness
    program.key("Escape");
    ASSERT_EQ(program.waitForExit(), 1);
    EXPECT_TRUE(program.waitForOutput("Beeldlog ")) << program.output();

    QFile log(dir.path + "/frames.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly | QIODevice::Text));
    std::vector<std::array<double, 6>> frames; // ms, eye x, y, z, yaw, pitch
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 6)
            continue;
        std::array<double, 6> f{};
        for (int i = 0; i < 6; ++i)
            f[i] = fields[i].toDouble();
        frames.push_back(f);
    }
    ASSERT_GE(frames.size(), 2u);
    const auto& first = frames.front();
    const auto& last = frames.back();
    EXPECT_LT(last[3], first[3] - 5) << "walked forward (-z) " << layout.toStdString();
    EXPECT_DOUBLE_EQ(last[1], first[1]) << "and not sideways";
    EXPECT_DOUBLE_EQ(last[4], first[4]) << "nor turned";
    // The walk's frames: from the first that moved to the last.
    std::size_t from = 0, to = 0;
    for (std::size_t i = 1; i < frames.size(); ++i)
        if (frames[i][3] != frames[i - 1][3]) {
            from = from ? from : i;
            to = i;
        }
    int same = 0;
    for (std::size_t i = from + 1; i <= to; ++i)
        same += frames[i][3] == frames[i - 1][3];
    EXPECT_LE(same, int(to - from) / 2) << "most frames of the walk show the eye further on";
    // A second of stillness at the display's rate would be 60 frames.
    EXPECT_LE(frames.size() - 1 - to, 3u) << "frames drawn while all was still";
}
