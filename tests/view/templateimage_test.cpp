// Template pictures: the resolution read from BMP headers, the board rectangle, the reduced
// copies that keep thin dark lines, and drawing only the part being repainted.
#include "bmpbuilder.h"
#include "languageguard.h"
#include "view/qpaintercanvas.h"
#include "view/templateimage.h"
#include "view/texts.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace trevok;

TEST(TemplateImage, ResolutionComesFromTheBmpHeader)
{
    const auto never = [](int, int) { return false; };
    EXPECT_EQ(BmpHeaderDpi(test::MakeBmp(2, 2, 23622, never)), 600);
    EXPECT_EQ(BmpHeaderDpi(test::MakeBmp(2, 2, 11811, never)), 300);
    EXPECT_EQ(BmpHeaderDpi(test::MakeBmp(2, 2, 0, never)), 0) << "no resolution, no division";
    EXPECT_EQ(BmpHeaderDpi(test::MakeBmp(2, 2, -5, never)), 0);
    QByteArray core = test::MakeBmp(2, 2, 23622, never);
    core[14] = 12; // an old core header has no resolution fields
    EXPECT_EQ(BmpHeaderDpi(core), std::nullopt);
    EXPECT_EQ(BmpHeaderDpi(QByteArray("\x89PNG\r\n\x1a\n")), std::nullopt);
    EXPECT_EQ(BmpHeaderDpi(test::MakeBmp(2, 2, 23622, never).left(40)), std::nullopt);
}

TEST(TemplateImage, RectangleFromPixelsResolutionAndOffsets)
{
    EXPECT_EQ(TemplateRect(1200, 600, 600, 0, 0), (TRect{0, -2540, 5080, 0}));
    // 2.5 mm right and 2.5 mm down.
    EXPECT_EQ(TemplateRect(1200, 600, 600, 25, 25), (TRect{250, -2790, 5330, -250}));
    EXPECT_EQ(TemplateRect(100, 100, 0, 0, 0), TemplateRect(100, 100, TemplateDpiDefault, 0, 0))
        << "a resolution of 0 never divides";
}

TEST(TemplateImage, ReducedCopiesKeepASingleDarkPixel)
{
    for (const int w : {4001, 64, 9}) {
        QImage img(w, 3, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setPixel(w - 1, 2, qRgb(0, 0, 0));
        const TemplateImage t(img);
        for (int level = 1; (w >> level) >= 1; ++level) {
            const QImage& r = t.reduced(level);
            SCOPED_TRACE(testing::Message() << "width " << w << " level " << level);
            int dark = 0;
            for (int y = 0; y < r.height(); ++y)
                for (int x = 0; x < r.width(); ++x)
                    dark += r.pixelIndex(x, y) == 0;
            ASSERT_EQ(dark, 1);
            EXPECT_EQ(r.pixelIndex((w - 1) >> level, r.height() - 1), 0);
        }
    }
}

TEST(TemplateImage, LargeScanDrawsItsLinesInTheTwoColoursOnlyWhereAsked)
{
    // 4000 x 4000 pixels at 1000 dpi span 10160 units; drawn at 0.04 pixels per unit (406 px).
    QImage scan(4000, 4000, QImage::Format_Mono);
    scan.fill(1);
    scan.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 4000; ++y)
        scan.setPixel(2000, y, 0);
    const TemplateImage t(scan);
    const TRect rect = TemplateRect(4000, 4000, 1000, 0, 0);

    QImage out(420, 420, QImage::Format_RGB32);
    out.fill(Qt::gray);
    QPainter p(&out);
    QPainterCanvas canvas(p);
    CanvasMapping m = CanvasMapping::identity();
    m.viewportExtX = 0.04;
    m.viewportExtY = 0.04;
    canvas.setMapping(m);
    // Only the upper half of the board is being repainted.
    t.draw(canvas, rect, Rgb(0, 200, 0), Rgb(10, 10, 10), TRect{0, -5080, 10160, 0});
    p.end();
    EXPECT_EQ(out.pixel(203, 50), qRgb(0, 200, 0)) << "the one-pixel line survives the reduction";
    EXPECT_EQ(out.pixel(100, 50), qRgb(10, 10, 10));
    EXPECT_EQ(out.pixel(100, 300), QColor(Qt::gray).rgb()) << "outside the repainted area nothing is drawn";
}

TEST(TemplateImage, LoadingReadsTheFileAndItsResolution)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("scan.bmp");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(test::MakeBmp(5, 3, 3937, [](int x, int y) { return x == y; }));
    f.close();
    const auto file = LoadTemplateFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->headerDpi, 100);
    EXPECT_EQ(file->image.width(), 5);
    EXPECT_EQ(file->image.picture().pixelIndex(1, 1), 0);
    EXPECT_EQ(file->image.picture().pixelIndex(2, 1), 1);
    EXPECT_FALSE(LoadTemplateFile(dir.filePath("missing.bmp")));
    QFile junk(dir.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM not really");
    junk.close();
    EXPECT_FALSE(LoadTemplateFile(junk.fileName()));
}

namespace
{
/// A BMP of w x h pixels at `bits` per pixel (1 and 8 with a grey colour table, index 0 black,
/// the last white), every pixel index 0 but the first 16 of the top row, which are white. The
/// pixel area is made by extending the file, so a big scan costs no time to write.
QString writeScan(const QString& path, int w, int h, int bits, bool truncate = false)
{
    const int colours = bits <= 8 ? 1 << bits : 0;
    const std::uint32_t stride = (std::uint32_t(w) * bits + 31) / 32 * 4;
    const std::uint32_t dataAt = 14 + 40 + 4 * colours;
    QByteArray b;
    auto u16 = [&](std::uint16_t v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    b.append("BM");
    u32(dataAt + stride * std::uint32_t(h));
    u32(0);
    u32(dataAt);
    u32(40);
    u32(std::uint32_t(w));
    u32(std::uint32_t(h));
    u16(1);
    u16(std::uint16_t(bits));
    u32(0);
    u32(stride * std::uint32_t(h));
    u32(23622); // 600 dpi
    u32(23622);
    u32(std::uint32_t(colours));
    u32(0);
    for (int i = 0; i < colours; ++i) {
        const char v = char(i * 255 / (colours - 1));
        b.append(v).append(v).append(v).append('\0');
    }
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
    const qint64 size = qint64(dataAt) + qint64(stride) * h;
    EXPECT_TRUE(f.resize(truncate ? size - stride / 2 : size));
    // Rows are stored bottom-up: the top row is the last one.
    EXPECT_TRUE(f.seek(qint64(dataAt) + qint64(stride) * (h - 1)));
    f.write(QByteArray(bits == 1 ? 2 : 16 * bits / 8, char(0xFF)));
    return path;
}
} // namespace

TEST(TemplateImage, BigScansAreReadFromTheFileAtOneBitPerPixel)
{
    QTemporaryDir dir;
    for (const int bits : {1, 8, 24}) {
        SCOPED_TRACE(bits);
        const QString path = writeScan(dir.filePath(QStringLiteral("scan.bmp")), 10000, 10000, bits);
        QString reason;
        const auto file = LoadTemplateFile(path, &reason);
        ASSERT_TRUE(file) << reason.toStdString();
        const QImage& picture = file->image.picture();
        EXPECT_EQ(picture.format(), QImage::Format_Mono) << "one bit per pixel in memory";
        EXPECT_EQ(picture.size(), QSize(10000, 10000));
        EXPECT_EQ(file->headerDpi, 600);
        EXPECT_EQ(picture.pixelIndex(0, 0), 1);
        EXPECT_EQ(picture.pixelIndex(15, 0), 1);
        EXPECT_EQ(picture.pixelIndex(16, 0), 0);
        EXPECT_EQ(picture.pixelIndex(0, 1), 0);
        EXPECT_EQ(picture.pixelIndex(9999, 9999), 0);
        QFile::remove(path);
    }
}

TEST(TemplateImage, WhatCannotBeATemplateIsRefusedAtOnceWithTheReason)
{
    Language en(1);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        const char* reason;
    } cases[] = {
        {writeScan(dir.filePath(QStringLiteral("cut.bmp")), 300, 200, 24, true),
         "The file is incomplete (truncated)."},
        {writeScan(dir.filePath(QStringLiteral("cut1.bmp")), 300, 200, 1, true),
         "The file is incomplete (truncated)."},
        {fifo, "This is not a regular file."}, // opening it must not wait for a writer
        {QStringLiteral("/dev/zero"), "This is not a regular file."},
        {dir.path(), "This is not a regular file."},
    };
    for (const auto& c : cases) {
        QString reason;
        EXPECT_FALSE(LoadTemplateFile(c.path, &reason)) << c.path.toStdString();
        EXPECT_EQ(reason, QString::fromLatin1(c.reason)) << c.path.toStdString();
    }
}
