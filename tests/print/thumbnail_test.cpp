// `trevok-cli thumbnail` as a file manager runs it: the picture's size, where the board lies in
// it, copper where the pads are and no rubber bands, and nothing written for a file that cannot
// be read.
#include "document/layoutfile.h"
#include "document/project.h"
#include "routing/connections.h"

#include "clirun.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace trevok;

namespace
{

QRgb opaque(int r, int g, int b)
{
    return qRgba(r, g, b, 255);
}

/// The box of the pixels that are not fully transparent.
QRect opaqueBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(Thumbnail, BoardFillsTheSquareWithItsAspectAndPadsInCopperColour)
{
    struct Case {
        std::int32_t width, height; // board units
        int size;                   // 0: the default
        TPoint pad;                 // SMD pad centre on copper side 1
    };
    const Case cases[] = {
        {20000, 10000, 256, {15000, -2500}},
        {5000, 15000, 128, {1000, -14000}},
        {16000, 10000, 0, {4000, -3000}},
        {10000, 10000, 64, {2000, -8000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.size);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        TProject p;
        NewBoard(p, "Thumb");
        TBoard& b = *p.Boards[0];
        b.BoardWidth = c.width;
        b.BoardHeight = c.height;
        b.Elements.push_back(NewSmdPad(c.pad, 400, 1, 400));
        b.Elements.back()->Selected = 1; // a stored selection must not colour the picture
        // A rubber band to a second pad, level with the first: not drawn on a thumbnail.
        b.Elements.push_back(NewSmdPad({c.width - c.pad.x, c.pad.y}, 400, 1, 400));
        AddConnection(*b.Elements[0], *b.Elements[1]);
        const QString lay = dir.filePath(QStringLiteral("board.lay"));
        WriteLayoutFile(p, lay.toStdString());
        const QString png = dir.filePath(QStringLiteral("thumb.png"));
        QStringList args{QStringLiteral("thumbnail"), lay, png};
        if (c.size)
            args << QStringLiteral("--size") << QString::number(c.size);
        const CliRun r = cli(args);
        ASSERT_EQ(r.status, 0) << r.err;

        const int n = c.size ? c.size : 256;
        QImage image(png);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(n, n));
        EXPECT_TRUE(image.hasAlphaChannel());
        image = image.convertToFormat(QImage::Format_ARGB32);

        // The longer side spans the square less the margin, the shorter one keeps the aspect.
        const int margin = std::max(1, n / 32);
        const double scale = double(n - 2 * margin) / std::max(c.width, c.height);
        const QRect box = opaqueBox(image);
        EXPECT_NEAR(box.width(), c.width * scale, 1.5);
        EXPECT_NEAR(box.height(), c.height * scale, 1.5);
        EXPECT_NEAR(box.center().x() + 0.5, n / 2.0, 1.0);
        EXPECT_NEAR(box.center().y() + 0.5, n / 2.0, 1.0);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(n - 1, n - 1)), 0);

        const int px = int(std::floor((n - c.width * scale) / 2 + c.pad.x * scale));
        const int py = int(std::floor((n - c.height * scale) / 2 - c.pad.y * scale));
        EXPECT_EQ(image.pixel(px, py), opaque(0, 0, 255)) << px << "," << py;
        // Away from the pad the board shows its black background.
        const int qx = int(std::floor((n - c.width * scale) / 2 + (c.width - c.pad.x) * scale));
        const int qy = int(std::floor((n - c.height * scale) / 2 + (c.height + c.pad.y) * scale));
        EXPECT_EQ(image.pixel(qx, qy), opaque(0, 0, 0)) << qx << "," << qy;
        const int mx = int(std::floor((n - c.width * scale) / 2 + c.width / 2.0 * scale));
        EXPECT_EQ(image.pixel(mx, py), opaque(0, 0, 0)) << "connection drawn at " << mx << "," << py;
    }
}

TEST(Thumbnail, UnreadableInputWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TProject p;
    NewBoard(p, "Thumb");
    const QString good = dir.filePath(QStringLiteral("good.lay"));
    WriteLayoutFile(p, good.toStdString());
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();

    struct Case {
        const char* name;
        QByteArray content; // empty with missing: no file at all
        bool missing;
        QStringList extra;
        int status;
    };
    const Case cases[] = {
        {"truncated", bytes.left(bytes.size() / 2), false, {}, 1},
        {"header only", bytes.left(4), false, {}, 1},
        {"foreign", QByteArray("\x89PNG\r\n\x1a\n not a layout"), false, {}, 1},
        {"empty", QByteArray(), false, {}, 1},
        {"missing", QByteArray(), true, {}, 1},
        {"size too small", bytes, false, {QStringLiteral("--size"), QStringLiteral("8")}, 2},
        {"size not a number", bytes, false, {QStringLiteral("--size"), QStringLiteral("big")}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString in = dir.filePath(QStringLiteral("in.lay"));
        QFile::remove(in);
        if (!c.missing) {
            QFile w(in);
            ASSERT_TRUE(w.open(QIODevice::WriteOnly));
            w.write(c.content);
        }
        const QString out = dir.filePath(QStringLiteral("out.png"));
        const CliRun r = cli(QStringList{QStringLiteral("thumbnail"), in, out} + c.extra);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), c.missing ? 1 : 2)
            << "a temporary file was left";
    }
}
