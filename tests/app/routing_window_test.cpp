// Connections and routing through the real widgets: two pads connected with the Connect tool
// and saved, a net shown with the Test tool, the realised connections removed from the menu, a
// connection routed with the router tool and resolved again, with undo of each; the router
// window's own behaviour.
#include "app/mainwindow.h"
#include "windowtest.h"

#include "dialogs/autorouter.h"
#include "dialogs/decimalspinbox.h"
#include "dialogs/help.h"
#include "document/layoutfile.h"
#include "edit/session.h"
#include "languageguard.h"
#include "routing/connections.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

class RoutingWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->resize(1000, 700);
        window->show();
        area = window->boardWidget()->viewport();

        // Three pads on K2 (the active layer of a new board) in the middle of the view.
        TBoard& b = *window->project().currentBoard();
        for (TPoint c : {TPoint{2000, -3000}, TPoint{6000, -3000}, TPoint{2000, -3800}}) {
            auto pad = NewPad(c, 100, ShapeRound, LayerK2, 40);
            pad->Clearance = 40;
            b.Elements.push_back(std::move(pad));
        }
        window->boardWidget()->repaintAll();
    }
    TObjekt& pad(int i) { return *elements()[static_cast<std::size_t>(i)]; }
    void choose(const char* tool)
    {
        auto* b = window->findChild<QToolButton*>(QString::fromLatin1(tool));
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled());
        b->click();
    }
    void clickAt(TPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(area, pixel(p));
        QTest::mouseClick(area, button, {}, pixel(p));
    }
    TAutoRouter* router() const { return window->findChild<TAutoRouter*>(); }

    QString& saveAs = shell.nextFile;
    QWidget* area = nullptr;
};

} // namespace

TEST_F(RoutingWindow, ConnectTwoPadsSaveAndUndo)
{
    choose("SB_Connect");
    EXPECT_EQ(window->session()->tool(), ToolConnect);
    clickAt({2000, -3000});
    QTest::mouseMove(area, pixel({4000, -3500}));
    EXPECT_NE(window->boardWidget()->preview(PreviewKind::ConnectionLine), nullptr);
    clickAt({6000, -3000});
    EXPECT_EQ(window->boardWidget()->preview(PreviewKind::ConnectionLine), nullptr);
    ASSERT_TRUE(AreConnected(pad(0), pad(1)) && AreConnected(pad(1), pad(0)));

    // Dragging a pad with the selection tool takes its rubber band along in the move preview.
    choose("SB_Standard");
    const QPoint from = pixel({2000, -3000});
    QTest::mousePress(area, Qt::LeftButton, {}, from);
    QTest::mouseMove(area, from + QPoint(0, 60));
    QTest::mouseMove(area, from + QPoint(0, 120));
    const Preview* moving = window->boardWidget()->preview(PreviewKind::Move);
    ASSERT_NE(moving, nullptr);
    const TPoint offset = moving->offset; // snapped to the grid
    const QImage dragging = area->grab().toImage();
    QTest::mouseRelease(area, Qt::LeftButton, {}, from + QPoint(0, 120));
    const QPoint middle = pixel({(2000 + offset.x + 6000) / 2, (-3000 + offset.y - 3000) / 2});
    int lit = 0;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            lit += dragging.pixelColor(middle + QPoint(dx, dy)) != QColor(0, 0, 0);
    EXPECT_GT(lit, 0) << "the moving line is drawn";
    window->action(QStringLiteral("Undo"))->trigger();
    choose("SB_Connect");

    saveAs = dir.filePath(QStringLiteral("connected.lay"));
    ASSERT_TRUE(window->fileSave());
    TProject reread;
    ASSERT_FALSE(ReadLayoutFile(reread, saveAs.toStdString(), false, 1).error);
    const ElementList& r = reread.currentBoard()->Elements;
    EXPECT_TRUE(AreConnected(*r[0], *r[1]));

    // The same two pads again take the connection away; undo brings it back.
    clickAt({6000, -3000});
    clickAt({2000, -3000});
    EXPECT_FALSE(AreConnected(pad(0), pad(1)));
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_TRUE(AreConnected(pad(0), pad(1)));
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_FALSE(AreConnected(pad(0), pad(1)));

    // A right click with a first pad chosen drops it; the next one leaves the tool.
    clickAt({2000, -3000});
    clickAt({4000, -3600}, Qt::RightButton);
    EXPECT_EQ(window->session()->tool(), ToolConnect);
    clickAt({4000, -3600}, Qt::RightButton);
    EXPECT_EQ(window->session()->tool(), ToolStandard);
}

TEST_F(RoutingWindow, TestToolShowsTheNetAndTheMenuRemovesRealised)
{
    auto track = NewTrack(50, LayerK2);
    AddPoint(*track, {2000, -3000});
    AddPoint(*track, {2000, -3800});
    elements().push_back(std::move(track));
    AddConnection(pad(0), pad(2));
    AddConnection(pad(0), pad(1));
    window->boardWidget()->repaintAll();

    choose("SB_Test");
    clickAt({2000, -3800});
    EXPECT_TRUE(pad(0).Selected && pad(2).Selected && elements()[3]->Selected);
    EXPECT_FALSE(pad(1).Selected);
    const Preview* green = window->boardWidget()->preview(PreviewKind::NetHighlight);
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(green->shapes.front().X, 2000);
    EXPECT_EQ(green->shapes.front().Y, -3800);
    // The green fill is on the screen, over the pad.
    QImage shot = area->grab().toImage();
    EXPECT_EQ(shot.pixelColor(pixel({2070, -3800})), QColor(0, 255, 0));

    const std::size_t steps = window->project().currentBoard()->UndoStack.size();
    window->action(QStringLiteral("Luftlinienentfernen1"))->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.front().caption + QLatin1Char('|') + boxes.front().text,
              QStringLiteral(
                  "Trevok|1 connections (rubberbands) removed.\n1 connections (rubberbands) remaining."));
    EXPECT_FALSE(AreConnected(pad(0), pad(2)));
    EXPECT_TRUE(AreConnected(pad(0), pad(1)));
    EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), steps + 1);
    // Nothing left to remove: the report, and no empty undo step.
    window->action(QStringLiteral("TB_ClearConnections"))->trigger();
    EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), steps + 1);
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_TRUE(AreConnected(pad(0), pad(2)));
}

TEST_F(RoutingWindow, RouteAndResolveInTheRouterWindow)
{
    AddConnection(pad(0), pad(1));
    window->boardWidget()->repaintAll();
    choose("SB_AutoRoute");
    ASSERT_NE(router(), nullptr);
    EXPECT_TRUE(router()->isVisible());
    EXPECT_TRUE(router()->windowFlags() & Qt::Tool);
    const QLabel* status = router()->statusLine();
    EXPECT_EQ(status->text(), QStringLiteral(" Ready"));
    // Centred on the main window.
    EXPECT_LE((router()->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 40);
    router()->widthEdit()->setValue(0.3);

    // Over the line the two pads turn magenta; a click lays the track.
    QTest::mouseMove(area, pixel({4000, -3000}));
    EXPECT_TRUE(pad(0).Selected && pad(1).Selected);
    QImage shot = area->grab().toImage();
    EXPECT_EQ(shot.pixelColor(pixel({3000, -3000})), QColor(255, 0, 255));
    QTest::mouseClick(area, Qt::LeftButton, {}, pixel({4000, -3000}));
    ASSERT_EQ(elements().size(), 4u);
    TObjekt& track = *elements()[3];
    EXPECT_TRUE(track.Autorouted);
    EXPECT_EQ(track.Width, 30);
    EXPECT_EQ(track.Layer, LayerK2);
    EXPECT_FALSE(AreConnected(pad(0), pad(1)));
    EXPECT_EQ(status->text(), QStringLiteral(" Successful"));

    // Over the track a click takes it back into the connection.
    const TPoint onTrack{(track.Points[1].x + track.Points[2].x) / 2,
                         (track.Points[1].y + track.Points[2].y) / 2};
    QTest::mouseMove(area, pixel(onTrack));
    EXPECT_TRUE(track.Selected);
    QTest::mouseClick(area, Qt::LeftButton, {}, pixel(onTrack));
    EXPECT_EQ(elements().size(), 3u);
    EXPECT_TRUE(AreConnected(pad(0), pad(1)));
    EXPECT_EQ(status->text(), QStringLiteral(" Autoroute resolved"));

    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(elements().size(), 4u);
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(elements().size(), 3u);
    EXPECT_TRUE(AreConnected(pad(0), pad(1)));

    // F1 in the window opens its help page.
    QTest::keyClick(router(), Qt::Key_F1);
    HelpWindow* help = CurrentHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->browser()->source().path(), QStringLiteral("/help/en/router.html"));
    help->close();

    // Another tool hides the window; closing it gives the tool up.
    choose("SB_Connect");
    EXPECT_FALSE(router()->isVisible());
    choose("SB_AutoRoute");
    EXPECT_TRUE(router()->isVisible());
    router()->close();
    EXPECT_EQ(window->session()->tool(), ToolStandard);
    auto* standard = window->findChild<QToolButton*>(QStringLiteral("SB_Standard"));
    EXPECT_TRUE(standard->isChecked());
}

TEST_F(RoutingWindow, TheRouterWindowOpensWhereTheUserLastPutItAlsoInTheNextRun)
{
    choose("SB_AutoRoute");
    ASSERT_NE(router(), nullptr);
    const QPoint place = router()->pos() + QPoint(-150, 90);
    router()->move(place);
    // Hidden by another tool and shown again; then in a new run.
    choose("SB_Connect");
    choose("SB_AutoRoute");
    EXPECT_EQ(router()->pos(), place);
    window->project().Modified = false;
    window->close();
    window.reset();
    window = makeWindow();
    window->resize(1000, 700);
    window->show();
    choose("SB_AutoRoute");
    ASSERT_NE(router(), nullptr);
    EXPECT_EQ(router()->pos(), place);
}

TEST_F(RoutingWindow, RouterWindowTextsInThreeLanguages)
{
    const char* ready[] = {" Bereit", " Ready", " Prêt"};
    const char* width[] = {"Breite:", "Width:", "Largeur:"};
    for (int language = 0; language < 3; ++language) {
        Language guard(language);
        RouterSettings settings;
        TAutoRouter w(settings);
        EXPECT_EQ(w.statusLine()->text(), QString::fromUtf8(ready[language]));
        bool found = false;
        for (const QLabel* l : w.findChildren<QLabel*>())
            found = found || l->text() == QString::fromUtf8(width[language]);
        EXPECT_TRUE(found) << language;
        w.clearanceEdit()->setValue(0.5);
        EXPECT_DOUBLE_EQ(settings.clearanceMm, 0.5);
    }
}
