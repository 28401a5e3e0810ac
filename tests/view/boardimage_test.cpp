// The arithmetic of image export and what drawing an image leaves behind.
#include "print/boardimage.h"

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
