// kolvar --frames N: the real program times N frames, prints its figures and ends with status 0.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QRegularExpression>
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
                           "ms, 95e percentiel ([\\d.]+) ms\\nCPU per beeld \\(alle threads\\): "
                           "([\\d.]+) ms\\n")
            .match(out);
    EXPECT_TRUE(figures.hasMatch()) << out.toStdString();
}
