// Image files are checked before they are decoded: the problem text, and on
// real GL that the texture factory makes no texture from a refused file.
#include "tests/support/gltest.h"
#include "tests/support/hugepng.h"
#include "textures/imagecheck.h"
#include "textures/texturefactory.h"
#include "textures/textureref.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ImageCheck, RefusedFilesGiveTheirReasonAndNoTexture) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    work.write("huge.png", testgl::hugePngHeader(30000, 30000));
    ASSERT_EQ(::mkfifo((work.path + "/pipe.png").toLocal8Bit().constData(), 0600), 0);
    testgl::writeImage(work.path + "/small.png", 8, 4, [](int, int) { return 0xff336699u; });
    // Within the pixel budget, but wider than any GL texture.
    work.write("wide.png", testgl::hugePngHeader(8192, 2));
    // Cut short after their headers: the decoder fails, or (JPEG) complains
    // and hands back a grey picture.
    for (const char* format : {"jpg", "png"}) {
        QImage image(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y) // detail, so that most of the file is pixel data
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, 0xff000000u | unsigned(x * 40503 ^ y * 9973));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        work.write(QString("cut.") + format, bytes.left(bytes.size() / 2).toStdString());
    }
    ASSERT_EQ(::symlink("loop.png", (work.path + "/loop.png").toLocal8Bit().constData()), 0);
    // File, its problem ("" when accepted), the width of its texture.
    const std::tuple<std::string, std::string, GLint> cases[] = {
        {"huge.png", "is 30000 x 30000 beeldpunten, meer dan 4096 x 4096", 0},
        {"wide.png", "is 8192 x 2 beeldpunten, breder of hoger dan 4096", 0},
        {"pipe.png", "is geen gewoon bestand", 0},
        {"loop.png", "is een lus van symbolische koppelingen", 0},
        {"cut.jpg", "is beschadigd (Corrupt JPEG data: premature end of data segment)", 0},
        // libpng's own words, which it writes past Qt to standard error.
        {"cut.png", "is beschadigd (libpng error: ", 0},
        {"small.png", "", 8},
    };
    TextureFactory factory;
    for (const auto& [file, problem, width] : cases) {
        SCOPED_TRACE(file);
        const std::string refusal = problem.empty() ? "" : file + " " + problem;
        // Checking alone and loading name the same problem (its start, for
        // the PNG decoder's own words); an accepted file none at all.
        const auto named = [&](const QString& found) {
            const std::string text = found.toStdString();
            return refusal.empty() ? text.empty() : text.rfind(refusal, 0) == 0;
        };
        const QString checked = imageFileProblem(QString::fromStdString(file));
        EXPECT_TRUE(named(checked)) << checked.toStdString();
        testgl::StdoutCapture out;
        const QString loaded = factory.loadTexture(file, file).problem;
        EXPECT_TRUE(named(loaded)) << loaded.toStdString();
        EXPECT_EQ(out.text().rfind("Texture inladen : " + file + " \n", 0),
                  0u); // the map names the problem
        GLint made = -1;
        glBindTexture(GL_TEXTURE_2D, factory.getTextureId(file));
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &made);
        EXPECT_EQ(made, width);
    }
}

// A blueprint's texture key, resolved once, follows a key loaded again and
// another store than the one it was resolved against.
TEST(TextureRef, FollowsAKeyLoadedAgainAndAnotherStore) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    testgl::writeImage(work.path + "/a.png", 8, 4, [](int, int) { return 0xff336699u; });
    testgl::writeImage(work.path + "/b.png", 16, 2, [](int, int) { return 0xff996633u; });
    TextureFactory first, second;
    const TextureFactory* store = &first;
    const TextureRef ref("k");
    const auto width = [&] {
        GLint made = -1;
        glBindTexture(GL_TEXTURE_2D, ref.name(*store));
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &made);
        return made;
    };
    testgl::StdoutCapture quiet;
    EXPECT_EQ(ref.name(first), 0u);
    first.loadTexture("k", "a.png");
    EXPECT_EQ(width(), 8);
    first.loadTexture("k", "b.png");
    EXPECT_EQ(width(), 16);
    second.loadTexture("k", "a.png");
    store = &second;
    EXPECT_EQ(width(), 8);
}

} // namespace
