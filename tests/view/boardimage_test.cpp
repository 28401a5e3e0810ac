// The arithmetic of image export and what drawing an image leaves behind.
#include "print/boardimage.h"
#include "view/templateimage.h"

#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

using namespace trevok;

TEST(BoardImage, PixelSizeAndMemoryEstimateFollowTheDialogArithmetic)
{
    struct Case {
        std::int32_t w, h;
        int dpi;
        QSize pixels;
        std::int64_t monoKb, colourKb;
    };
    const Case cases[] = {
        {16000, 10000, 300, {1890, 1181}, 272, 6540},
        {30000, 30000, 600, {7087, 7087}, 6131, 147144},
        {1000, 1000, 100, {39, 39}, 0, 3},
    };
    for (const Case& c : cases) {
        const QSize s = ImagePixelSize(c.w, c.h, c.dpi);
        EXPECT_EQ(s, c.pixels) << c.w << " at " << c.dpi;
        EXPECT_EQ(ImageMemoryKb(s, false), c.monoKb);
        EXPECT_EQ(ImageMemoryKb(s, true), c.colourKb);
    }
}

TEST(BoardImage, CancellingStopsAndTheSelectionIsKept)
{
    TBoard board;
    board.BoardWidth = 10000;
    board.BoardHeight = 10000;
    board.Elements.push_back(NewPad({1000, -1000}, 90, ShapeRound, LayerK1, 30));
    board.Elements.back()->Selected = 1;
    ImageOptions o;
    o.dpi = 600; // 2362 rows: several strips
    int calls = 0;
    const auto result = MakeBoardImage(board, o, [&](int done, int total) {
        ++calls;
        EXPECT_LT(done, total);
        return false;
    });
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(calls, 1) << "the first strip's report cancels";
    EXPECT_EQ(board.Elements[0]->Selected, 1) << "the selection comes back after drawing";

    int last = 0;
    const auto done = MakeBoardImage(board, o, [&](int d, int total) {
        EXPECT_GT(d, last);
        last = d;
        return d <= total;
    });
    ASSERT_TRUE(done.has_value());
    EXPECT_EQ(last, 2362);
    EXPECT_EQ(done->substr(0, 2), "BM");
    EXPECT_EQ(board.Elements[0]->Selected, 1);
}

TEST(BoardImage, EveryFormatDrawsTheTemplateOfTheActiveSideAsTheViewDoes)
{
    TBoard board;
    board.BoardWidth = 4000;
    board.BoardHeight = 2000;
    board.ActiveLayer = LayerK1;
    // Side 1 green, side 2 red, both shown; 10 pixels at 100 dpi cover 2.54 mm from the corner.
    board.TemplateShown = {1, 1};
    board.TemplateDpi = {100, 100};
    board.TemplateColour = {static_cast<std::int32_t>(Rgb(0, 255, 0)),
                            static_cast<std::int32_t>(Rgb(255, 0, 0))};
    QImage dark(10, 10, QImage::Format_RGB32);
    dark.fill(Qt::black);
    const auto picture = std::make_shared<const TemplateImage>(dark);
    const ColourScheme colours = ColourScheme::Standard();

    for (const ImageFormat format : {ImageFormat::Bmp, ImageFormat::Gif, ImageFormat::Png, ImageFormat::Svg,
                                     ImageFormat::Pdf, ImageFormat::Emf}) {
        SCOPED_TRACE(ImageExtension(format));
        ImageOptions o = ImageOptions::fromBoard(board, format);
        o.colours = colours;
        const std::optional<std::string> plain = MakeBoardImage(board, o);
        o.drawTemplate = BoardTemplateDrawer(board, {picture, picture}, colours[ColourBackground]);
        const std::optional<std::string> shown = MakeBoardImage(board, o);
        ASSERT_TRUE(plain && shown);
        EXPECT_NE(*plain, *shown);
        QImage img;
        if (format == ImageFormat::Svg) {
            QSvgRenderer svg(QByteArray::fromStdString(*shown));
            img = QImage(ImagePixelSize(board.BoardWidth, board.BoardHeight, o.dpi), QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            svg.render(&p);
        } else if (format != ImageFormat::Pdf && format != ImageFormat::Emf) {
            img = QImage::fromData(QByteArray::fromStdString(*shown));
        }
        if (img.isNull())
            continue; // no reader here; the oracle tests read these formats
        // 300 dpi: the template covers pixels 0..29.
        EXPECT_EQ(img.pixel(15, 15) & 0xFFFFFF, 0x00FF00u) << "the side-1 picture in its colour";
        EXPECT_NE(img.pixel(60, 15) & 0xFFFFFF, 0x00FF00u);
    }
}
