// The drawing area under offscreen Qt: events through QTest reach the editing session, the
// cached picture is repainted where the board changed and follows scrolling, previews stay out
// of it, and the wheel keeps the zoom limits.

#include "view/widgets/boardwidget.h"

#include "edit/edittestboard.h"
#include "edit/session.h"
#include "view/viewmodel.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

struct BoardWidgetFixture : ::testing::Test {
    TProject project = oneBoardProject();
    ViewModel view;
    BoardWidget widget{project, view};
    EditSession session{project, widget, 1};

    BoardWidgetFixture()
    {
        widget.setSession(&session);
        widget.resize(640, 480);
        widget.show();
        widget.boardSwitched();
        // 20 units a pixel and a 100-unit grid: pixel (x, y) is board (20x, -20y), and pixels
        // in steps of 5 fall on the grid.
        view.setGrid(100);
        view.SetZoom(0.05);
        view.setScrollPosition(0, 0);
        widget.flushRepaints();
    }
    ~BoardWidgetFixture() override { widget.setSession(nullptr); }

    TBoard& board() { return boardOf(project); }
    QWidget* vp() { return widget.viewport(); }
    void click(QPoint at, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {})
    {
        QTest::mouseMove(vp(), at);
        QTest::mouseClick(vp(), b, m, at);
    }
    QRgb pixel(QPoint at) const { return widget.cachedPicture().pixel(at); }
};

TEST_F(BoardWidgetFixture, PixelsBecomeBoardPointsOnTheGrid)
{
    std::vector<TPoint> seen;
    QObject::connect(&widget, &BoardWidget::cursorMoved, [&](QPoint, TPoint p) { seen.push_back(p); });
    QTest::mouseMove(vp(), QPoint(50, 30));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), (TPoint{1000, -600}));
    const TRect vis = widget.visibleRect();
    EXPECT_EQ(vis.left, 0);
    EXPECT_EQ(vis.bottom, 0);
    EXPECT_EQ(vis.right, 20 * std::min(vp()->width(), view.surfaceSize().width()));
}

TEST_F(BoardWidgetFixture, ClicksDrawATrackWithThreeCornersEndedByARightClick)
{
    session.SetTool(ToolTrack);
    click({10, 10});
    click({50, 10});
    click({50, 50});
    QTest::mouseMove(vp(), {80, 80});
    EXPECT_NE(widget.preview(PreviewKind::RubberBand), nullptr);
    click({80, 80}, Qt::RightButton);

    ASSERT_EQ(board().Elements.size(), 1u);
    const TObjekt& t = *board().Elements.back();
    EXPECT_EQ(t.Kind, KindTrack);
    EXPECT_EQ(t.Points, (std::vector<TPoint>{{200, -200}, {1000, -200}, {1000, -1000}}));
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_EQ(widget.preview(PreviewKind::RubberBand), nullptr);
    EXPECT_EQ(session.tool(), ToolTrack);

    // The new track is in the cached picture, between its first two corners.
    widget.flushRepaints();
    EXPECT_EQ(pixel({30, 10}), ToQColor(widget.colourScheme()[ColourK2]).rgb());
}

TEST_F(BoardWidgetFixture, AFrameDraggedWithTheMouseSelectsWhatItTouches)
{
    TObjekt& a = addPad(project, {1000, -1000});
    TObjekt& b = addPad(project, {5000, -1000});
    widget.invalidateAll();

    QTest::mouseMove(vp(), {30, 30});
    QTest::mousePress(vp(), Qt::LeftButton, {}, {30, 30});
    QTest::mouseMove(vp(), {45, 45});
    ASSERT_NE(widget.preview(PreviewKind::SelectionRect), nullptr);
    QTest::mouseMove(vp(), {70, 70});
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, {70, 70});
    EXPECT_TRUE(a.Selected);
    EXPECT_FALSE(b.Selected);
    EXPECT_EQ(widget.preview(PreviewKind::SelectionRect), nullptr);

    // Arrow keys move the selection by a grid step, one undo step each.
    QTest::keyClick(&widget, Qt::Key_Right);
    EXPECT_EQ(a.X, 1100);
    EXPECT_EQ(b.X, 5000);
    QTest::keyClick(&widget, Qt::Key_Up);
    EXPECT_EQ(a.Y, -900);
    EXPECT_EQ(undoSteps(project), 2u);
}

TEST_F(BoardWidgetFixture, InvalidationRepaintsOnlyThatPartOfTheCachedPicture)
{
    const QRgb background = pixel({100, 100});
    TObjekt& pad = addPad(project, {2000, -2000}); // pixel (100, 100)
    addPad(project, {6000, -6000});                // pixel (300, 300), not reported
    widget.invalidate(Bounds(pad));
    widget.flushRepaints();
    EXPECT_NE(pixel({100, 100}), background);
    EXPECT_EQ(pixel({300, 300}), background);

    widget.invalidateAll();
    widget.flushRepaints();
    EXPECT_NE(pixel({300, 300}), background);
}

TEST_F(BoardWidgetFixture, ScrollingMovesThePictureAsAFullRepaintWouldDrawIt)
{
    view.SetZoom(0.2); // the surface is larger than the viewport
    for (int i = 0; i < 40; ++i)
        addTrack(project, {{i * 400, -200}, {i * 400 + 300, -9000}});
    for (int i = 0; i < 30; ++i)
        addPad(project, {i * 500 + 100, -(i * 300 + 300)});
    view.setScrollPosition(300, 200);
    widget.invalidateAll();
    widget.flushRepaints();

    for (const QPoint step : {QPoint(50, 0), QPoint(0, 37), QPoint(-23, -11), QPoint(0, -80)}) {
        widget.horizontalScrollBar()->setValue(widget.horizontalScrollBar()->value() + step.x());
        widget.verticalScrollBar()->setValue(widget.verticalScrollBar()->value() + step.y());
        EXPECT_EQ(view.scrollPosition(), QPoint(300, 200) + step) << step.x() << "," << step.y();
        view.setScrollPosition(300 + step.x(), 200 + step.y());
        widget.flushRepaints();
        const QImage moved = widget.cachedPicture().copy();
        widget.invalidateAll();
        widget.flushRepaints();
        EXPECT_TRUE(moved == widget.cachedPicture()) << step.x() << "," << step.y();
        view.setScrollPosition(300, 200);
        widget.flushRepaints();
    }
}

TEST_F(BoardWidgetFixture, DraggingAtTheEdgeScrollsStepByStepAndTheFrameFollows)
{
    view.SetZoom(0.2); // the surface is larger than the viewport
    view.setScrollPosition(0, 0);
    const int step = view.scrollIncrement().width();
    ASSERT_GT(step, 0);
    QTest::mouseMove(vp(), {100, 100});
    QTest::mousePress(vp(), Qt::LeftButton, {}, {100, 100});
    const QPoint edge(vp()->width() - 2, 100);
    QTest::mouseMove(vp(), edge);
    // One step at once, then one step at a time while the mouse rests there.
    EXPECT_EQ(view.scrollPosition().x(), step);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.scrollPosition().x() >= 3 * step; }, 60000));
    const int later = view.scrollPosition().x();
    EXPECT_EQ(later % step, 0);
    // The frame reaches the board point now under the cursor.
    const Preview* frame = widget.preview(PreviewKind::SelectionRect);
    ASSERT_NE(frame, nullptr);
    EXPECT_NEAR(static_cast<double>(frame->rect.right), (later + edge.x()) / 0.2, 254);
    // Released, the step already timed may still come, and then none.
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, edge);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !widget.autoScrollPending(); }, 60000));
    EXPECT_LE(view.scrollPosition().x(), later + step);
    QCoreApplication::processEvents();
    EXPECT_FALSE(widget.autoScrollPending()) << "scrolling goes on after the release";
}

TEST_F(BoardWidgetFixture, PreviewsAreDrawnOverThePictureNotIntoIt)
{
    const QImage before = widget.cachedPicture().copy();
    Preview frame;
    frame.kind = PreviewKind::SelectionRect;
    frame.rect = {1000, -3000, 3000, -1000}; // pixels 50..150
    widget.showPreview(frame);
    const QImage shown = vp()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(widget.cachedPicture() == before);
    int differing = 0;
    for (int x = 40; x < 160; ++x)
        differing += shown.pixel(x, 50) != before.pixel(x, 50);
    EXPECT_GT(differing, 20); // the dotted upper edge

    widget.hidePreview(PreviewKind::SelectionRect);
    EXPECT_EQ(widget.preview(PreviewKind::SelectionRect), nullptr);
    const QImage hidden = vp()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(hidden.pixel(100, 50), before.pixel(100, 50));
}

TEST_F(BoardWidgetFixture, MovePreviewShowsPlatedPadsAndStretchedTracksWhereTheyOverlap)
{
    // A through-plated pair (two pads on one spot) and a track ending on it: drawn inverting one
    // by one, each overlap would be inverted twice and vanish from the preview.
    TObjekt& pad = add(project, NewPad({4000, -4000}, 400, ShapeRound, LayerK1, 100), true);
    TObjekt& other = add(project, NewPad({4000, -4000}, 400, ShapeRound, LayerK2, 100), true);
    twin(pad, other);
    widget.invalidateAll();
    widget.flushRepaints();
    const QImage before = vp()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Preview move;
    move.kind = PreviewKind::Move;
    move.elements = {&pad, &other};
    move.offset = {0, 2000}; // centre at pixel (200, 100), radius 20 pixels, drill 5
    TObjekt segment;
    segment.Kind = KindTrack;
    segment.Layer = LayerK1;
    segment.Width = 200;
    segment.Points = {{4000, -2000}, {8000, -4000}};
    move.shapes.push_back(segment);
    widget.showPreview(move);
    const QImage shown = vp()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    struct Probe {
        QPoint at;
        bool changed;
    };
    for (const Probe& p : {Probe{{212, 100}, true},  // copper of the pair
                           Probe{{205, 103}, true},  // pad and segment on top of each other
                           Probe{{300, 150}, true},  // the middle of the stretched segment
                           Probe{{200, 100}, false}, // the drill hole shows the board
                           Probe{{200, 160}, false}})
        EXPECT_EQ(shown.pixel(p.at) != before.pixel(p.at), p.changed) << p.at.x() << ',' << p.at.y();
}

TEST_F(BoardWidgetFixture, WheelZoomsWithinTheLimitsAndErasesPreviews)
{
    QTest::mouseMove(vp(), {30, 30});
    QTest::mousePress(vp(), Qt::LeftButton, {}, {30, 30});
    QTest::mouseMove(vp(), {60, 60});
    ASSERT_NE(widget.preview(PreviewKind::SelectionRect), nullptr);

    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(100, 100), vp()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, delta),
                      Qt::LeftButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(vp(), &e);
    };
    wheel(120);
    EXPECT_EQ(widget.preview(PreviewKind::SelectionRect), nullptr);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.05 * ZoomStep);
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, {60, 60});

    for (int i = 0; i < 30; ++i)
        wheel(120);
    EXPECT_DOUBLE_EQ(view.zoom(), MaxZoom);
    for (int i = 0; i < 40; ++i)
        wheel(-120);
    EXPECT_DOUBLE_EQ(view.zoom(), MinZoom);
    // The picture was drawn for the zoom it shows.
    widget.flushRepaints();
    EXPECT_EQ(widget.cachedPicture().size(), vp()->size());
}

TEST_F(BoardWidgetFixture, OriginMarkerDragsTheOriginWithTheStandardToolOnly)
{
    QWidget* marker = widget.originMarker();
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->objectName(), "K0_Shape");
    EXPECT_TRUE(marker->isEnabled());
    session.SetTool(ToolTrack);
    EXPECT_FALSE(marker->isEnabled());
    session.SetTool(ToolStandard);
    ASSERT_TRUE(marker->isEnabled());

    std::vector<TPoint> moved;
    QObject::connect(&widget, &BoardWidget::originMoved, [&](TPoint p) { moved.push_back(p); });
    const QPoint centre = marker->rect().center();
    QTest::mousePress(marker, Qt::LeftButton, {}, centre);
    QTest::mouseMove(marker, centre + QPoint(40, 20));
    QTest::mouseRelease(marker, Qt::LeftButton, {}, centre + QPoint(40, 20));
    ASSERT_FALSE(moved.empty());
    // The marker sat at pixel (0, 0); 40 and 20 pixels away is board (800, -400).
    EXPECT_EQ(board().Origin, (TPoint{800, -400}));
    EXPECT_EQ(view.origin(), board().Origin);
    EXPECT_EQ(marker->geometry().center(), QPoint(40, 20));
}

TEST_F(BoardWidgetFixture, SelectionPictureShowsOnlyTheSelectionAndKeepsMarks)
{
    QByteArray svg;
    QImage png;
    addPad(project, {1000, -1000});
    EXPECT_FALSE(widget.selectionPicture(svg, png));

    TObjekt& chosen = addPad(project, {4000, -1000}, LayerK1, true);
    TObjekt& other = addTrack(project, {{3000, -1000}, {5000, -1000}});
    other.Mark = 1;
    ASSERT_TRUE(widget.selectionPicture(svg, png));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_FALSE(png.isNull());
    // The picture spans the pad (radius 80 units, hole 40) with a margin, at 10 units a pixel.
    // Its copper ring is drawn; the unselected track running through it to both sides is not,
    // so the middle row stays white in the margin at both ends.
    const QPoint mid(png.width() / 2, png.height() / 2);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_NE(png.pixel(mid.x() + 6, mid.y()), white);
    EXPECT_EQ(png.pixel(0, mid.y()), white);
    EXPECT_EQ(png.pixel(png.width() - 1, mid.y()), white);
    // The drawing's scratch flags are as they were.
    EXPECT_EQ(other.Mark, 1);
    EXPECT_EQ(chosen.Mark, 0);
}

} // namespace
