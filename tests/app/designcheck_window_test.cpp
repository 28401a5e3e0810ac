// The design check in the editor: the menu entry, tool-bar button and shortcut, the window's
// list and its double-click, turning broken routes back with undo, and the question before a
// manufacturing export.
#include "app/checkscontroller.h"
#include "app/mainwindow.h"
#include "windowtest.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/designcheckdlg.h"
#include "document/undo.h"
#include "routing/connections.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

class DesignCheckWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        shell.onDialog = [](QDialog& d) {
            d.accept();
            return true;
        };
        window->resize(1000, 700);
        window->show();
        // Two pads on K1 with an autorouted track between them, and a lone SMD pad 0.15 mm below it.
        TBoard& b = *window->project().currentBoard();
        b.ActiveLayer = LayerK2;
        auto a = NewPad({7000, -5000}, 80, ShapeRound, LayerK1, 40);
        auto c = NewPad({9000, -5000}, 80, ShapeRound, LayerK1, 40);
        auto t = NewTrack(40, LayerK1);
        AddPoint(*t, {9000, -5000});
        AddPoint(*t, {7000, -5000});
        t->Autorouted = 1;
        t->RouteStart = a.get();
        t->RouteEnd = c.get();
        b.Elements.push_back(std::move(a));
        b.Elements.push_back(std::move(c));
        b.Elements.push_back(std::move(t));
        b.Elements.push_back(NewSmdPad({8000, -5055}, 100, LayerK1, 40));
        window->boardWidget()->repaintAll();
        window->updateCommandStates();
    }
    TDesignCheckDlg* check()
    {
        window->action(QStringLiteral("Designprfung1"))->trigger();
        TDesignCheckDlg* dlg = window->checks().window();
        EXPECT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_FALSE(dlg->isModal());
        dlg->checkButton()->click();
        return dlg;
    }
    QStringList kinds(const TDesignCheckDlg* dlg)
    {
        QStringList k;
        for (int i = 0; i < dlg->list()->topLevelItemCount(); ++i)
            k << dlg->list()->topLevelItem(i)->text(0);
        return k;
    }

    QStringList& questions = shell.designQuestions;
    QMessageBox::StandardButton& answer = shell.designAnswer;
    QString& nextFile = shell.nextFile;
};

} // namespace

TEST_F(DesignCheckWindow, MenuToolBarAndShortcutOpenTheWindowAndTheListShowsEachPlace)
{
    QAction* entry = window->action(QStringLiteral("Designprfung1"));
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->shortcut().isEmpty());
    EXPECT_TRUE(window->menu(QStringLiteral("Funktionen1"))->actions().contains(entry));
    EXPECT_EQ(entry->text(), QStringLiteral("Design chec&k..."));
    QAction* button = window->action(QStringLiteral("TB_Designpruefung"));
    ASSERT_NE(button, nullptr);
    bool onToolBar = false;
    for (const QToolBar* bar : window->findChildren<QToolBar*>())
        onToolBar = onToolBar || bar->widgetForAction(button) != nullptr;
    EXPECT_TRUE(onToolBar);

    TDesignCheckDlg* dlg = check();
    EXPECT_EQ(kinds(dlg), (QStringList{"Gap"}));
    EXPECT_TRUE(dlg->summary()->text().contains(QStringLiteral("1 error,")));
    EXPECT_TRUE(window->boardWidget()->hasMillingOverlay()); // the marker

    // A stricter width rule adds a row; the rules are kept for the next run.
    dlg->findChild<DecimalSpinBox*>(QStringLiteral("SE_Breite"))->setValue(0.5);
    dlg->checkButton()->click();
    EXPECT_EQ(kinds(dlg), (QStringList{"Gap", "Track width"}));
    EXPECT_EQ(window->settings().designRules.width, 50);

    // Double-click: the layer becomes active, the elements are selected, the place is centred.
    QTreeWidgetItem* gap = dlg->list()->topLevelItem(0);
    emit dlg->list()->itemDoubleClicked(gap, 0);
    EXPECT_EQ(board().ActiveLayer, LayerK1);
    EXPECT_EQ(gap->text(7), QStringLiteral("2, 3"));
    for (std::size_t i = 0; i < board().Elements.size(); ++i)
        EXPECT_EQ(board().Elements[i]->Selected != 0, i == 2 || i == 3) << i;
    const TPoint at = dlg->result().problems.front().at;
    EXPECT_NEAR(at.y, -5028, 1);
    const QPointF centre = window->view().viewportPixelOf(at.x, at.y);
    const QSize vp = window->view().viewportSize();
    EXPECT_NEAR(centre.x(), vp.width() / 2.0, 2.0);
    EXPECT_NEAR(centre.y(), vp.height() / 2.0, 2.0);
    EXPECT_FALSE(dlg->resolveButton()->isEnabled()); // no broken route yet
}

TEST_F(DesignCheckWindow, BrokenRoutesTurnBackIntoRubberBandsInOneUndoStep)
{
    PushUndo(window->project());
    Translate(*board().Elements[1], 0, -600); // the end pad moved away from its track
    TDesignCheckDlg* dlg = check();
    EXPECT_TRUE(kinds(dlg).contains(QStringLiteral("Broken route")));
    ASSERT_TRUE(dlg->resolveButton()->isEnabled());
    const std::size_t steps = board().UndoStack.size();
    dlg->resolveButton()->click();
    EXPECT_EQ(board().UndoStack.size(), steps + 1);
    EXPECT_EQ(board().Elements.size(), 3u);
    EXPECT_TRUE(AreConnected(*board().Elements[0], *board().Elements[1]));
    EXPECT_TRUE(kinds(dlg).contains(QStringLiteral("Unrouted connection")));
    EXPECT_FALSE(kinds(dlg).contains(QStringLiteral("Broken route")));
    window->action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(board().Elements.size(), 4u);
    EXPECT_TRUE(board().Elements[2]->Autorouted);
}

TEST_F(DesignCheckWindow, ManufacturingExportsAskFirstWhileTheOptionIsOn)
{
    QAction* option = window->action(QStringLiteral("M_PruefenVorExport"));
    ASSERT_TRUE(option->isChecked());
    EXPECT_TRUE(window->menu(QStringLiteral("Optionen1"))->actions().contains(option));
    nextFile = dir.filePath(QStringLiteral("out.gbr"));

    answer = QMessageBox::Cancel;
    window->action(QStringLiteral("GerberFormat1"))->trigger();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("1 error, 0 warnings"))) << questions[0].toStdString();
    EXPECT_TRUE(questions[0].contains(QStringLiteral("Gap: 1")));
    EXPECT_FALSE(QFileInfo::exists(nextFile));

    answer = QMessageBox::No; // show the problems
    window->action(QStringLiteral("Fertigungssatz1"))->trigger();
    EXPECT_EQ(questions.size(), 2);
    ASSERT_NE(window->checks().window(), nullptr);
    EXPECT_TRUE(window->checks().window()->isVisible());
    EXPECT_EQ(window->checks().window()->list()->topLevelItemCount(), 1);

    answer = QMessageBox::Yes; // export anyway
    window->action(QStringLiteral("GerberFormat1"))->trigger();
    EXPECT_EQ(questions.size(), 3);
    EXPECT_TRUE(QFileInfo::exists(nextFile));

    option->trigger(); // off: no question
    QFile::remove(nextFile);
    window->action(QStringLiteral("GerberFormat1"))->trigger();
    EXPECT_EQ(questions.size(), 3);
    EXPECT_TRUE(QFileInfo::exists(nextFile));
    EXPECT_FALSE(window->settings().checkBeforeExport);
}
