// The main window driven by keys and the mouse as a user would: the shortcut table, ESC and
// Ctrl+Z while drawing, the wheel and the middle button, the status line around a backup and the
// tool bars at 1024 × 768.
#include "app/autosave.h"
#include "app/mainwindow.h"
#include "document/undo.h"
#include "edit/session.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/propertybar.h"
#include "windowtest.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>

using namespace trevok;

namespace
{

class Editor : public WindowTest
{
  protected:
    Editor() : WindowTest(0) {}

    void SetUp() override
    {
        WindowTest::SetUp();
        shell.onBox = [this](const ShownBox& box) {
            messages << box.text;
            return QMessageBox::No;
        };
    }

    void showActive(QSize size = {1000, 700})
    {
        window->resize(size);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->boardWidget()->setFocus();
    }
    QPoint pixel(int x, int y) const { return window->view().viewportPixelOf(x, y).toPoint(); }
    QWidget* area() const { return window->boardWidget()->viewport(); }

    QStringList messages;
};

TEST_F(Editor, EveryShortcutOfTheCommandTableIsBoundOnceAndReachable)
{
    const std::map<QString, QString> table = {
        {"Undo", "Ctrl+Z"},
        {"Kopieren1", "Ctrl+C"},
        {"Ausschneiden1", "Ctrl+X"},
        {"Einfgen1", "Ctrl+V"},
        {"Duplizieren1", "Ctrl+D"},
        {"Lschen1", "Del"},
        {"Allesmarkieren1", "Ctrl+A"},
        {"Rotieren1", "Ctrl+R"},
        {"Horizontalspiegeln2", "Ctrl+H"},
        {"Vertikalspiegeln2", "Ctrl+T"},
        {"Gruppieren1", "Ctrl+G"},
        {"Gruppierungaufheben1", "Ctrl+U"},
        {"Layerwechseln1", "Ctrl+W"},
    };
    // Actions of the menu bar are what a key reaches, whichever widget has the focus.
    QList<QAction*> reachable;
    std::function<void(QMenu*)> collect = [&](QMenu* m) {
        for (QAction* a : m->actions()) {
            reachable << a;
            if (a->menu())
                collect(a->menu());
        }
    };
    for (QAction* top : window->menuBar()->actions())
        if (top->menu())
            collect(top->menu());

    std::map<QString, QString> owner; // key -> action
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        const QString keys = a->shortcut().toString();
        EXPECT_FALSE(owner.count(keys)) << keys.toStdString() << " bound twice: " << owner[keys].toStdString()
                                        << " and " << a->objectName().toStdString();
        owner[keys] = a->objectName();
    }
    for (const auto& [name, keys] : table) {
        QAction* a = window->action(name);
        ASSERT_TRUE(a) << name.toStdString();
        EXPECT_EQ(a->shortcut(), QKeySequence(keys)) << name.toStdString();
        EXPECT_TRUE(reachable.contains(a)) << name.toStdString() << " is in no menu of the menu bar";
    }
}

TEST_F(Editor, KeysRotateAndGroupTheSelection)
{
    showActive();
    TProject& p = window->project();
    TBoard& board = *p.currentBoard();
    board.Elements.push_back(NewSmdPad({2540, -2540}, 200, LayerK2, 100));
    board.Elements.push_back(NewSmdPad({5080, -2540}, 200, LayerK2, 100));
    window->updateCommandStates(); // as the session's report of an edit does
    QTest::keyClick(window->boardWidget(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(board.Elements[0]->Selected);
    QTest::keyClick(window->boardWidget(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(board.Elements[0]->Size1, 100) << "rotated: width and height exchanged";
    QTest::keyClick(window->boardWidget(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(board.Elements[0]->lastGroup(), board.Elements[1]->lastGroup());
    EXPECT_NE(board.Elements[0]->lastGroup(), 0);
    QTest::keyClick(window->boardWidget(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(board.Elements[0]->Layer, LayerK1);
    EXPECT_EQ(p.currentBoard()->UndoStack.size(), 3u);
}

TEST_F(Editor, CtrlZAfterTheFirstClickOfATrackKeepsThePadPlacedBefore)
{
    showActive();
    window->findChild<QToolButton*>("SB_Circle")->click();
    QTest::mouseClick(area(), Qt::LeftButton, {}, pixel(2540, -2540));
    ASSERT_EQ(elements().size(), 1u);
    window->findChild<QToolButton*>("SB_Line")->click();
    QTest::mouseMove(area(), pixel(5080, -5080));
    QTest::mouseClick(area(), Qt::LeftButton, {}, pixel(5080, -5080));
    ASSERT_EQ(elements().size(), 2u);
    QTest::keyClick(window->boardWidget(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Kind, KindPad);
}

TEST_F(Editor, EscapeEndsTheAreaThenLeavesTheToolThenClearsTheSelection)
{
    showActive();
    window->findChild<QToolButton*>("SB_Polygon")->click();
    for (TPoint q : {TPoint{2540, -2540}, TPoint{7620, -2540}, TPoint{7620, -7620}}) {
        QTest::mouseMove(area(), pixel(q.x, q.y));
        QTest::mouseClick(area(), Qt::LeftButton, {}, pixel(q.x, q.y));
    }
    QTest::keyClick(window->boardWidget(), Qt::Key_Escape);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Points.back(), elements()[0]->Points.front()) << "closed as by a right click";
    QTest::keyClick(window->boardWidget(), Qt::Key_Escape);
    EXPECT_TRUE(window->findChild<QToolButton*>("SB_Standard")->isChecked());
    elements()[0]->Selected = 1;
    QTest::keyClick(window->boardWidget(), Qt::Key_Escape);
    EXPECT_FALSE(elements()[0]->Selected);
}

TEST_F(Editor, MiddleButtonPansAndModifiedWheelScrolls)
{
    showActive();
    ViewModel& view = window->view();
    view.SetZoom(0.3);
    view.setScrollPosition(400, 300);
    const double zoom = view.zoom();
    QTest::mousePress(area(), Qt::MiddleButton, {}, QPoint(300, 300));
    QTest::mouseMove(area(), QPoint(250, 280));
    QTest::mouseRelease(area(), Qt::MiddleButton, {}, QPoint(250, 280));
    EXPECT_EQ(view.scrollPosition(), QPoint(450, 320)) << "the board follows the mouse";
    EXPECT_TRUE(elements().empty()) << "no tool saw the button";

    const auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods) {
        const QPoint at(200, 200);
        QWheelEvent e(at, area()->mapToGlobal(at), {}, delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area(), &e);
    };
    const QSize visible = view.viewportSize();
    wheel({0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(view.scrollPosition(), QPoint(450 + qRound(visible.width() / 5.0), 320));
    wheel({0, -120}, Qt::ControlModifier);
    EXPECT_EQ(view.scrollPosition().y(), 320 + qRound(visible.height() / 5.0));
    EXPECT_DOUBLE_EQ(view.zoom(), zoom);
    wheel({0, 120}, Qt::NoModifier);
    EXPECT_GT(view.zoom(), zoom) << "the plain wheel zooms";
}

TEST_F(Editor, ZoomAtCursorIsAnOptionKeptInTheSettingsFile)
{
    QAction* option = window->action("M_ZoomAmMauszeiger");
    ASSERT_TRUE(option);
    EXPECT_EQ(option->text(), "&Zoom am Mauszeiger");
    EXPECT_FALSE(option->isChecked());
    EXPECT_FALSE(window->boardWidget()->wheelZoomAtCursor());
    option->trigger();
    EXPECT_TRUE(window->boardWidget()->wheelZoomAtCursor());
    window->close();
    window = makeWindow();
    EXPECT_TRUE(window->action("M_ZoomAmMauszeiger")->isChecked());
    EXPECT_TRUE(window->boardWidget()->wheelZoomAtCursor());
}

TEST_F(Editor, TheStatusLineShowsTheBackupAndThenWhatItShowedBefore)
{
    QLabel* hint = window->hintLabel();
    hint->setText(QStringLiteral("Leiterbahn: Klicken für Startpunkt"));
    emit window->autoSaver().backupStarted(QStringLiteral("/tmp/x.bak"));
    EXPECT_EQ(hint->text(), AutoSaveStatusText());
    emit window->autoSaver().backupFinished(true, QStringLiteral("/tmp/x.bak"), {});
    EXPECT_EQ(hint->text(), "Leiterbahn: Klicken für Startpunkt");
}

TEST_F(Editor, AMissingFileIsNamed)
{
    window->openStartFile(dir.filePath(QStringLiteral("verloren.lay")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Datei nicht gefunden")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("verloren.lay")) << messages[0].toStdString();
}

TEST_F(Editor, ThePropertyFieldsAreOnScreenAt1024By768)
{
    showActive({1024, 768});
    auto* fields = window->findChild<PropertyBar*>("PropertyBar");
    ASSERT_TRUE(fields);
    EXPECT_TRUE(fields->isVisible()) << "not hidden in a tool-bar overflow";
    const QRect inWindow(fields->mapTo(window.get(), QPoint(0, 0)), fields->size());
    EXPECT_TRUE(window->rect().contains(inWindow)) << "fields at " << inWindow.x() << "+" << inWindow.width();
    // Every tool bar shows all of its items: none has an overflow.
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            if (w && !a->isSeparator()) {
                EXPECT_TRUE(w->isVisible()) << bar->objectName().toStdString() << ": "
                                            << a->objectName().toStdString() << " in the overflow";
            }
        }
    }
}

} // namespace
