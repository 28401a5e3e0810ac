// The main window off screen: start-up with a file, board commands, the close question, the
// language of the menus, undo and redo states, saving and the offer of a newer backup.
#include "app/mainwindow.h"
#include "windowtest.h"

#include "app/autosave.h"
#include "dialogs/realansichtdlg.h"
#include "document/layoutfile.h"
#include "document/undo.h"
#include "languageguard.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace trevok;

namespace
{

/// A main window whose questions are answered from a script and whose settings live in a
/// temporary folder.
class Window : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        shell.onDialog = [this](QDialog& dialog) {
            if (!acceptDialogs)
                return false;
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        };
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    /// A layout file of two boards; the first holds a pad and a track.
    QString writeLayout(const char* name)
    {
        TProject p;
        NewBoard(p, "Erste");
        p.Boards[0]->Elements.push_back(NewPad({1000, -1000}, 90, ShapeRound, LayerK2, 30));
        auto track = NewTrack(80, LayerK1);
        AddPoint(*track, {0, -500});
        AddPoint(*track, {2000, -500});
        p.Boards[0]->Elements.push_back(std::move(track));
        NewBoard(p, "Zweite");
        ShowBoard(p, 0);
        const QString file = path(name);
        WriteLayoutFile(p, QFile::encodeName(file).toStdString());
        return file;
    }

    bool enabled(const char* name) const { return window->action(QString::fromLatin1(name))->isEnabled(); }

    /// Adds an element to the current board the way every edit does: snapshot first.
    void editCurrentBoard()
    {
        TProject& p = window->project();
        PushUndo(p);
        p.currentBoard()->Elements.push_back(NewPad({500, -500}, 90, ShapeRound, LayerK2, 30));
        // The session reports every edit; the window refreshes its commands then.
        window->updateCommandStates();
    }

    QString& nextFileName = shell.nextFile;
    bool acceptDialogs = false;
};

} // namespace

TEST_F(Window, StartsWithOneBoardAndOpensTheCommandLineFile)
{
    Language en(1);
    // The window made by the fixture took the language of before; make one in English.
    window = makeWindow();
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0");
    ASSERT_EQ(window->boardTabs()->count(), 1);
    EXPECT_EQ(window->boardTabs()->tabText(0), "Board 1");
    EXPECT_EQ(window->project().currentBoard()->ActiveLayer, 3);

    const QString file = writeLayout("two boards.lay");
    window->openStartFile(file);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0 - [" + file + "]");
    ASSERT_EQ(window->boardTabs()->count(), 2);
    EXPECT_EQ(window->boardTabs()->tabText(0), "Erste");
    EXPECT_EQ(window->boardTabs()->currentIndex(), 0);
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 2u);
    EXPECT_FALSE(window->project().Modified);
    EXPECT_EQ(window->recentFiles().path(0), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(window->layoutFolder(), dir.path());
}

TEST_F(Window, AFileThatIsNoLayoutIsRefusedAndNothingChanges)
{
    Language en(1);
    QFile junk(path("notes.txt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("hello, this is text");
    junk.close();
    window->openStartFile(junk.fileName());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Open");
    EXPECT_EQ(boxes[0].text, "\"notes.txt\" is not a Trevok file.");
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0");
    EXPECT_TRUE(window->recentFiles().path(0).isEmpty());

    boxes.clear();
    window->openStartFile(path("missing.lay"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
}

TEST_F(Window, DamagedFileShowsTheReadErrorAndKeepsWhatWasRead)
{
    const QString good = writeLayout("good.lay");
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    // Cut inside the second board: the first board is complete.
    bytes.chop(400);
    const QString damaged = path("damaged.lay");
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    EXPECT_TRUE(window->openLayout(damaged));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    ASSERT_GE(window->boardTabs()->count(), 1);
    EXPECT_EQ(window->boardTabs()->tabText(0), "Erste");
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0*")
        << "a partial project must not be saved over the damaged file";
    EXPECT_TRUE(window->recentFiles().path(0).isEmpty());
}

TEST_F(Window, BoardCommandsAddMoveAndDeleteTabs)
{
    Language de(0);
    window = makeWindow();
    QTabBar* tabs = window->boardTabs();

    // The last board cannot go.
    window->deleteBoard();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Die letzte Platine kann nicht gelöscht werden.");
    EXPECT_EQ(tabs->count(), 1);

    window->addBoard();
    window->addBoard();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), "Platine 3");
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_TRUE(window->project().Modified);

    // Moving the last board further right changes nothing; to the start moves the tab with it.
    window->moveBoard(true, false);
    EXPECT_EQ(tabs->tabText(2), "Platine 3");
    window->moveBoard(false, true);
    EXPECT_EQ(tabs->tabText(0), "Platine 3");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(window->project().Current, 0);

    // Switching by tab keeps each board's zoom.
    window->view().SetZoom(0.5);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(window->project().Current, 1);
    EXPECT_DOUBLE_EQ(window->view().zoom(), 0.1);
    tabs->setCurrentIndex(0);
    EXPECT_DOUBLE_EQ(window->view().zoom(), 0.5);

    // Deleting asks first; Cancel keeps the board, OK removes it.
    boxes.clear();
    answers = {QMessageBox::Cancel};
    window->deleteBoard();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Möchten Sie die Platine \"Platine 3\" wirklich löschen?");
    EXPECT_EQ(tabs->count(), 3);
    answers = {QMessageBox::Ok};
    window->deleteBoard();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Platine 1");
    EXPECT_EQ(tabs->currentIndex(), window->project().Current);
}

TEST_F(Window, CloseAsksOnlyForAChangedProjectAndCancelKeepsItOpen)
{
    window->show();
    // A modified but empty single board closes without a question.
    window->project().Modified = true;
    EXPECT_TRUE(window->CloseProject());
    EXPECT_TRUE(boxes.empty());

    window->fileNew();
    editCurrentBoard();
    ASSERT_TRUE(window->project().Modified);

    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 1u);

    // Yes saves; a failed save (a folder that does not exist) keeps the window open.
    answers = {QMessageBox::Yes, QMessageBox::Ok};
    nextFileName = path("no such folder/x.lay");
    EXPECT_FALSE(window->close());
    EXPECT_EQ(boxes.size(), 3u) << "the question, then the write error";
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 1u);

    // Yes with a good name saves and closes.
    answers = {QMessageBox::Yes};
    nextFileName = path("saved");
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QFileInfo::exists(path("saved.lay")));
    EXPECT_TRUE(IsLayoutFile(QFile::encodeName(path("saved.lay")).toStdString()));
    // The settings were written at close.
    EXPECT_TRUE(QFileInfo::exists(path("TREVOK40.INI")));
}

TEST_F(Window, MenusTakeTheLanguageOfTheRun)
{
    {
        Language en(1);
        MainWindow english(path("a.ini"));
        EXPECT_EQ(english.menu("Datei1")->title(), "&File");
        EXPECT_EQ(english.action("Lschen1")->text(), "&Delete [Del]");
        EXPECT_EQ(english.action("M_AutoMasse")->text(), "&GroundPlane");
        EXPECT_EQ(english.menuBar()->actions().first()->text(), "&File");
    }
    {
        Language fr(2);
        MainWindow french(path("b.ini"));
        EXPECT_EQ(french.menu("Datei1")->title(), "&Fichier");
        EXPECT_EQ(french.menu("L1")->title(), "Couche");
        EXPECT_EQ(french.boardTabs()->tabText(0), "Carte 1");
    }
    Language de(0);
    MainWindow german(path("c.ini"));
    EXPECT_EQ(german.menu("Datei1")->title(), "&Datei");
    EXPECT_EQ(german.boardTabs()->tabText(0), "Platine 1");
}

TEST_F(Window, UndoAndRedoAreEnabledExactlyWhenTheirStackHoldsAStep)
{
    EXPECT_FALSE(enabled("Undo"));
    EXPECT_FALSE(enabled("TB_Undo"));
    EXPECT_FALSE(enabled("Redo"));

    editCurrentBoard();
    EXPECT_TRUE(enabled("Undo"));
    EXPECT_TRUE(enabled("TB_Undo"));
    EXPECT_FALSE(enabled("Redo"));

    window->action("Undo")->trigger();
    EXPECT_TRUE(window->project().currentBoard()->Elements.empty());
    EXPECT_FALSE(enabled("Undo"));
    EXPECT_TRUE(enabled("Redo"));
    EXPECT_TRUE(enabled("TB_Redo"));

    window->action("TB_Redo")->trigger();
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 1u);
    EXPECT_TRUE(enabled("Undo"));
    EXPECT_FALSE(enabled("Redo"));

    // Each board has its own history.
    window->addBoard();
    EXPECT_FALSE(enabled("Undo"));
    window->showBoard(0);
    EXPECT_TRUE(enabled("Undo"));
}

TEST_F(Window, EditCommandsFollowTheSelection)
{
    editCurrentBoard();
    EXPECT_FALSE(enabled("Kopieren1"));
    EXPECT_FALSE(enabled("Rotieren2"));
    window->action("Allesmarkieren1")->trigger();
    EXPECT_TRUE(enabled("Kopieren1"));
    EXPECT_TRUE(enabled("Lschen1"));
    EXPECT_FALSE(enabled("Einfgen1")) << "nothing copied yet";

    // Copy fills the program's clipboard and puts a picture on the system clipboard.
    QApplication::clipboard()->clear();
    window->action("Kopieren1")->trigger();
    EXPECT_TRUE(enabled("Einfgen1"));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_TRUE(data->hasImage());

    window->action("Lschen1")->trigger();
    EXPECT_TRUE(window->project().currentBoard()->Elements.empty());
    EXPECT_FALSE(enabled("Kopieren1"));
    EXPECT_TRUE(enabled("Undo"));
}

TEST_F(Window, SaveAsSetsTheTitleAndANewerBackupIsOfferedButKept)
{
    editCurrentBoard();
    nextFileName = path("board.lay");
    ASSERT_TRUE(window->fileSaveAs());
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0 - [" + path("board.lay") + "]");
    EXPECT_FALSE(window->project().Modified);

    // An autosave leaves a backup; the file itself is older.
    editCurrentBoard();
    ASSERT_TRUE(window->autoSaver().tick());
    window->autoSaver().waitForWrite();
    const QString backup = BackupPath(path("board.lay"));
    ASSERT_TRUE(QFileInfo::exists(backup));
    QFile original(path("board.lay"));
    ASSERT_TRUE(original.open(QIODevice::ReadWrite));
    original.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime);
    original.close();

    boxes.clear();
    answers = {QMessageBox::No /* save changes? */, QMessageBox::No /* restore the backup? */};
    ASSERT_TRUE(window->openLayout(path("board.lay")));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[1].text.contains(QDir::toNativeSeparators(backup)));
    // Declined, it is kept under another name, out of the next autosave's way.
    const QStringList kept = QDir(dir.path()).entryList({"board.bak-*"});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(boxes[2].text.contains(kept[0]));
    EXPECT_FALSE(QFileInfo::exists(backup));
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 1u);

    // Taking the offer restores the backup into the layout, which never names the backup.
    ASSERT_TRUE(QFile::rename(path(kept[0].toUtf8().constData()), backup));
    answers = {QMessageBox::Yes};
    ASSERT_TRUE(window->openLayout(path("board.lay")));
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 2u);
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0 - [" + path("board.lay") + "]*");
    EXPECT_TRUE(window->project().Modified);
    EXPECT_EQ(window->recentFiles().path(0), path("board.lay"));
    EXPECT_TRUE(QFileInfo::exists(backup));
}

TEST_F(Window, TheTitleMarksUnsavedChangesWhicheverWayTheyCame)
{
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0");
    // An edit goes through the history; a new or moved board and the ground-plane switch set
    // the mark directly, and the title follows when the event loop falls idle.
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"edit", [this] { editCurrentBoard(); }},
        {"new board", [this] { window->addBoard(); }},
        {"board moved", [this] { window->moveBoard(false, true); }},
        {"ground plane", [this] { window->setGroundPlane(true, false); }},
    };
    nextFileName = path("board.lay");
    for (const auto& [what, change] : changes) {
        change();
        // An event loop that runs until it is about to wait for events, as the program's own
        // does; the timer only bounds a hang.
        QEventLoop idle;
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &idle,
                         &QEventLoop::quit);
        QTimer::singleShot(60000, &idle, &QEventLoop::quit);
        idle.exec();
        EXPECT_TRUE(window->project().Modified) << what;
        EXPECT_EQ(window->windowTitle().right(1), "*") << what;
        ASSERT_TRUE(window->fileSaveAs()) << what;
        EXPECT_EQ(window->windowTitle(), "Trevok 4.0 - [" + path("board.lay") + "]") << what;
    }
}

TEST_F(Window, GroundPlaneSwitchMarksTheLayoutChangedFromButtonAndMenu)
{
    TProject& p = window->project();
    ASSERT_EQ(p.currentBoard()->ActiveLayer, 3);
    ASSERT_FALSE(p.Modified);

    window->action("M_AutoMasse")->trigger();
    EXPECT_EQ(p.currentBoard()->GroundPlane2, 1);
    EXPECT_EQ(p.currentBoard()->GroundPlane1, 0) << "only the side of the active layer";
    EXPECT_TRUE(window->action("M_AutoMasse")->isChecked());
    EXPECT_TRUE(p.Modified) << "the switch is saved with the board";

    p.Modified = false;
    window->setGroundPlane(false, true);
    EXPECT_EQ(p.currentBoard()->GroundPlane2, 0);
    EXPECT_FALSE(window->action("M_AutoMasse")->isChecked());
    EXPECT_TRUE(p.Modified);

    // Changing to a layer of side 1 shows that side's switch.
    p.currentBoard()->GroundPlane1 = 1;
    window->setActiveLayer(1);
    EXPECT_TRUE(window->action("M_AutoMasse")->isChecked());
    EXPECT_TRUE(window->action("K1")->isChecked());
    EXPECT_FALSE(window->action("SK1")->isEnabled()) << "the active layer cannot be hidden";
}

TEST_F(Window, RecentFilesAreListedAndWrittenAtOnce)
{
    const QString first = writeLayout("first.lay");
    const QString second = writeLayout("second.lay");
    ASSERT_TRUE(window->openLayout(first));
    ASSERT_TRUE(window->openLayout(second));
    ASSERT_TRUE(window->openLayout(first)); // already listed: the order stays
    window->menu("Datei1")->aboutToShow();
    EXPECT_EQ(window->action("History1")->text(), "&1 second.lay");
    EXPECT_EQ(window->action("History2")->text(), "&2 first.lay");
    EXPECT_TRUE(window->action("History2")->isVisible());
    EXPECT_FALSE(window->action("History3")->isVisible());

    // [History] is on the disk before the window closes.
    MainWindow other(path("TREVOK40.INI"));
    EXPECT_EQ(other.recentFiles().path(0), second);
    EXPECT_EQ(other.recentFiles().path(1), first);

    // A listed file that has gone is reported and stays listed.
    QFile::remove(second);
    boxes.clear();
    window->action("History1")->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(window->recentFiles().path(0), second);
}

TEST_F(Window, OptionsAreWrittenAtCloseAndReadAtStart)
{
    window->show();
    window->action("Hinweistexte1")->trigger();  // hints off
    window->action("M_PlatinenZoom")->trigger(); // navigator off
    window->project().UndoDepth = 9;
    ASSERT_TRUE(window->close());

    MainWindow again(path("TREVOK40.INI"));
    EXPECT_FALSE(again.action("Hinweistexte1")->isChecked());
    EXPECT_FALSE(again.action("M_PlatinenZoom")->isChecked());
    EXPECT_FALSE(again.view().navigatorVisible());
    EXPECT_EQ(again.project().UndoDepth, 9);
}

TEST_F(Window, ReloadBoardsAppendsTheFilesBoardsAndNewStartsAfresh)
{
    Language de(0);
    const QString file = writeLayout("more.lay");
    nextFileName = file;
    window->action("Platinennachladen1")->trigger();
    QTabBar* tabs = window->boardTabs();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(1), "Erste");
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(window->project().Current, 2);
    EXPECT_TRUE(window->project().Modified);
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0*") << "appending does not make the file current";

    // New asks whether to save the boards, then starts with one board and its properties.
    answers = {QMessageBox::No};
    acceptDialogs = true;
    window->action("Neu1")->trigger();
    EXPECT_EQ(boxes.size(), 1u);
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), "Platine 1");
    EXPECT_EQ(window->project().currentBoard()->BoardWidth, 16000);
    EXPECT_FALSE(window->project().Modified);
}

TEST_F(Window, ATrackDrawnWithTheMouseIsOneUndoStepAndIsSaved)
{
    window->resize(1000, 700);
    window->show();
    window->findChild<QToolButton*>("SB_Line")->click();
    QWidget* area = window->boardWidget()->viewport();
    auto pixel = [this](int x, int y) { return window->view().viewportPixelOf(x, y).toPoint(); };
    // Corners on the 2.54 mm grid, at right angles, so that no bend corner is added.
    const TPoint corners[] = {{1016, -1016}, {2032, -1016}, {2032, -2032}};
    for (const TPoint& c : corners) {
        QTest::mouseMove(area, pixel(c.x, c.y));
        QTest::mouseClick(area, Qt::LeftButton, {}, pixel(c.x, c.y));
    }
    QTest::mouseClick(area, Qt::RightButton, {}, pixel(2032, -2032));

    const ElementList& list = window->project().currentBoard()->Elements;
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0]->Points.size(), 3u);
    EXPECT_EQ(list[0]->Points[2], (TPoint{2032, -2032}));
    EXPECT_TRUE(enabled("Undo"));

    nextFileName = path("track.lay");
    window->action("Speichernals1")->trigger();
    TProject reread;
    ReadLayoutFile(reread, QFile::encodeName(path("track.lay")).toStdString(), false, 0);
    ASSERT_EQ(reread.currentBoard()->Elements.size(), 1u);
    EXPECT_EQ(reread.currentBoard()->Elements[0]->Points.size(), 3u);

    window->action("Undo")->trigger();
    EXPECT_TRUE(window->project().currentBoard()->Elements.empty());
}

TEST_F(Window, FrameSelectionMovesWithTheArrowKeysAndTheContextMenuOpens)
{
    window->resize(1000, 700);
    window->show();
    editCurrentBoard(); // a pad at (500, -500)
    BoardWidget* board = window->boardWidget();
    QWidget* area = board->viewport();
    auto pixel = [this](int x, int y) { return window->view().viewportPixelOf(x, y).toPoint(); };

    QTest::mousePress(area, Qt::LeftButton, {}, pixel(100, -100));
    QTest::mouseMove(area, pixel(1500, -1500));
    QTest::mouseRelease(area, Qt::LeftButton, {}, pixel(1500, -1500));
    const TObjekt& pad = *window->project().currentBoard()->Elements[0];
    ASSERT_TRUE(pad.Selected);
    EXPECT_TRUE(enabled("Kopieren1"));

    board->setFocus();
    QTest::keyClick(board, Qt::Key_Right);
    EXPECT_EQ(pad.X, 754) << "one grid step";
    EXPECT_EQ(pad.Y, -500);

    // A right click on the selection opens the board's context menu.
    QTest::mouseClick(area, Qt::RightButton, {}, pixel(754, -500));
    QMenu* popup = window->menu("PopupMenu");
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
}

TEST_F(Window, ThePhotoViewWindowDrivesTheDrawingArea)
{
    window->show();
    window->findChild<QToolButton*>("SB_RealAnsicht")->click();
    auto* photo = window->findChild<TRealAnsichtDlg*>();
    ASSERT_NE(photo, nullptr);
    EXPECT_TRUE(photo->isVisible());
    EXPECT_TRUE(window->boardWidget()->photoView().shown);
    photo->side2()->click();
    EXPECT_EQ(window->boardWidget()->photoView().side, 2);
    EXPECT_TRUE(window->view().mirrored()) << "side 2 is seen from below";
    photo->close();
    EXPECT_FALSE(window->boardWidget()->photoView().shown);
}

TEST_F(Window, APadPlacedWithThroughPlatingMakesATwinAndOneUndoStepTakesBoth)
{
    window->resize(1000, 700);
    window->show();
    QAction* plating = window->action("Durchkontaktierung1");
    ASSERT_TRUE(plating);
    if (!plating->isChecked())
        plating->trigger();
    ASSERT_TRUE(plating->isChecked());
    window->findChild<QToolButton*>("SB_Circle")->click();
    QWidget* area = window->boardWidget()->viewport();
    const QPoint at = window->view().viewportPixelOf(1270, -1270).toPoint();
    QTest::mouseMove(area, at);
    QTest::mouseClick(area, Qt::LeftButton, {}, at);

    const ElementList& list = window->project().currentBoard()->Elements;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->Kind, KindPad);
    EXPECT_EQ(list[0]->Twin, list[1].get());
    EXPECT_EQ(list[1]->Twin, list[0].get());
    EXPECT_EQ(list[0]->X, 1270);
    EXPECT_EQ(list[0]->Y, -1270);
    EXPECT_NE(list[0]->Layer, list[1]->Layer) << "one pad on each copper side";

    window->action("Undo")->trigger();
    EXPECT_TRUE(window->project().currentBoard()->Elements.empty());
    EXPECT_FALSE(enabled("Undo"));
}

TEST_F(Window, TheRestrictedAreaButtonFollowsAToolChange)
{
    window->resize(1000, 700);
    window->show();
    auto* plane = window->findChild<QAbstractButton*>("SB_AutoMasse");
    auto* restricted = window->findChild<QAbstractButton*>("SB_Sperrflaeche");
    ASSERT_TRUE(plane);
    ASSERT_TRUE(restricted);
    plane->click();
    restricted->click();
    EXPECT_TRUE(restricted->isChecked());
    window->findChild<QToolButton*>("SB_Line")->click(); // releases restricted areas
    EXPECT_FALSE(restricted->isChecked());
    window->findChild<QToolButton*>("SB_Polygon")->click();
    restricted->click(); // one click switches them on again
    EXPECT_TRUE(restricted->isChecked());

    QWidget* area = window->boardWidget()->viewport();
    auto pixel = [this](int x, int y) { return window->view().viewportPixelOf(x, y).toPoint(); };
    for (TPoint c : {TPoint{1016, -1016}, TPoint{3048, -1016}, TPoint{3048, -3048}, TPoint{1016, -1016}}) {
        QTest::mouseMove(area, pixel(c.x, c.y));
        QTest::mouseClick(area, Qt::LeftButton, {}, pixel(c.x, c.y));
    }
    QTest::mouseClick(area, Qt::RightButton, {}, pixel(1016, -1016));
    const ElementList& list = window->project().currentBoard()->Elements;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->Kind, KindArea);
    EXPECT_TRUE(list[0]->Restricted);
}
