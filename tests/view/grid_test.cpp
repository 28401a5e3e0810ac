#include "view/grid.h"

#include "view/canvas.h"
#include "view/qpaintercanvas.h"
#include "view/viewmodel.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

// Draws the grid of a 10 × 6 mm board at zoom 0.5 (1 mm = 50 px) into a black picture.
QImage drawGrid(double grid, int marking, const TRect& area)
{
    QImage img(500, 300, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    canvas.setMapping(CanvasMapping::view(0.5, 0, 0));
    DrawGrid(canvas, 1000, 600, grid, 0.5, marking, Rgb(110, 110, 110), area);
    return img;
}

bool isGrid(const QImage& img, int x, int y)
{
    return img.pixelColor(x, y) == QColor(110, 110, 110);
}

} // namespace

TEST(GridDrawing, ThinAndMarkedLinesOfOneAndTwoPixels)
{
    const QImage img = drawGrid(100, 5, {0, -600, 1000, 0});
    // Vertical line i = 1 at x = 50 px, one pixel wide.
    EXPECT_TRUE(isGrid(img, 50, 20));
    EXPECT_FALSE(isGrid(img, 48, 20));
    EXPECT_FALSE(isGrid(img, 52, 20));
    int width = 0;
    for (int x = 245; x <= 255; ++x) // line i = 5 is marked: two pixels
        width += isGrid(img, x, 20);
    EXPECT_EQ(width, 2);
    // No line on the board edges, none between the lines.
    EXPECT_FALSE(isGrid(img, 0, 20));
    EXPECT_FALSE(isGrid(img, 25, 20));
    EXPECT_TRUE(isGrid(img, 20, 50)); // horizontal line at y = −100
}

TEST(GridDrawing, NothingWhenTooDenseAndNothingOutsideTheArea)
{
    const QImage dense = drawGrid(7.9375, 0, {0, -600, 1000, 0}); // 4 pixels apart: not drawn
    const QImage partial = drawGrid(100, 0, {400, -600, 1000, 0});
    int lit = 0, litLeft = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 500; ++x) {
            lit += isGrid(dense, x, y);
            litLeft += x < 195 && isGrid(partial, x, y);
        }
    EXPECT_EQ(lit, 0);
    EXPECT_EQ(litLeft, 0);
    EXPECT_TRUE(isGrid(partial, 250, 20));
}

TEST(GridDrawing, HiddenGridOfAViewDrawsNothing)
{
    TBoard board;
    ViewModel view;
    view.loadFrom(board);
    view.setGridVisible(false);
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        QPainterCanvas canvas(p);
        canvas.setMapping(CanvasMapping::view(view.zoom(), 0, 0));
        DrawGrid(canvas, view, Rgb(255, 255, 255), {0, -10000, 16000, 0});
    }
    EXPECT_EQ(img.pixelColor(25, 50), QColor(Qt::black)); // x = 254 units at zoom 0.1
    view.setGridVisible(true);
    {
        QPainter p(&img);
        QPainterCanvas canvas(p);
        canvas.setMapping(CanvasMapping::view(view.zoom(), 0, 0));
        DrawGrid(canvas, view, Rgb(255, 255, 255), {0, -10000, 16000, 0});
    }
    int lit = 0;
    for (int x = 23; x <= 27; ++x)
        lit += img.pixelColor(x, 50) == QColor(Qt::white);
    EXPECT_GE(lit, 1);
}
