// The macro panel in the main window, off screen: the folder menu and the file list, a damaged
// macro that must not block the panel, dropping onto the drawing area (side match, groups,
// foreign drags refused), saving the selection as a macro, deleting one, and the settings.
#include "app/macropanel.h"
#include "app/mainwindow.h"
#include "windowtest.h"

#include "document/layoutfile.h"
#include "document/undo.h"
#include "edit/editcommands.h"
#include "edit/session.h"
#include "languageguard.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>

using namespace trevok;

namespace
{

/// A small footprint drawn for side 1: two pads on K1 and an outline on B1.
ElementList sideOneMacro()
{
    ElementList list;
    list.push_back(NewPad({0, 0}, 80, 1, LayerK1, 40));
    list.push_back(NewPad({254, 0}, 80, 1, LayerK1, 40));
    auto outline = NewTrack(20, LayerB1);
    outline->Points = {{-100, 150}, {400, 150}};
    list.push_back(std::move(outline));
    return list;
}

void writeMacro(const QString& path, const ElementList& list, const std::string& line1 = "one",
                const std::string& line2 = "two")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteMacroFile(QFile::encodeName(path).toStdString(), list, line1, line2);
}

class MacroWindow : public WindowTest
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.isValid());
        WindowTest::SetUp();
        shell.onFileName = [this](bool, const QString&, const QString& folder, const QString&) {
            askedFolder = folder;
            return nextFileName;
        };
        window->resize(1000, 700);
        window->show();
        panel = window->macroPanel();
        ASSERT_NE(panel, nullptr);
    }
    QString lib(const QString& name) const { return library.filePath(name); }
    /// The viewport pixel of a board point.
    QPoint pixelOf(TPoint p) const { return window->view().viewportPixelOf(p.x, p.y).toPoint(); }

    Language language{1};
    QTemporaryDir& home = dir;
    QTemporaryDir library;
    MacroPanel* panel = nullptr;
    QString nextFileName;
    QString askedFolder;
};

QStringList actionTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("|") : a->text());
    return out;
}

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

TEST_F(MacroWindow, StarterLibraryIsInstalledAndFolderMenuLeadsIntoIt)
{
    // The default folder of a fresh user was filled from the program's own library.
    const QString root = panel->root();
    EXPECT_TRUE(QFileInfo(root).isDir());
    EXPECT_EQ(QDir(root).canonicalPath(), QDir(home.filePath(QStringLiteral("Makros"))).canonicalPath());
    const QStringList top = actionTexts(panel->folderMenu());
    ASSERT_GE(top.size(), 3);
    EXPECT_EQ(top[0], QStringLiteral(".."));
    EXPECT_EQ(top[1], QStringLiteral("|"));
    QStringList sorted = top.mid(2);
    QStringList expected = sorted;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);

    QAction* dip = findAction(panel->folderMenu(), QStringLiteral("DIP"));
    ASSERT_NE(dip, nullptr);
    dip->trigger();
    EXPECT_EQ(panel->subFolder(), QStringLiteral("DIP"));
    ASSERT_GT(panel->fileList()->count(), 0);
    EXPECT_FALSE(panel->preview().empty());
    EXPECT_FALSE(panel->preview().comment1().empty());
}

TEST_F(MacroWindow, FolderMenuSkipsHiddenFoldersAndSelectsSubFolders)
{
    writeMacro(lib(QStringLiteral("a.lmk")), sideOneMacro());
    writeMacro(lib(QStringLiteral("Zeta/z.lmk")), sideOneMacro());
    writeMacro(lib(QStringLiteral("Alpha/Inner/i.lmk")), sideOneMacro());
    writeMacro(lib(QStringLiteral(".hidden/h.lmk")), sideOneMacro());
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    EXPECT_EQ(actionTexts(panel->folderMenu()),
              (QStringList{QStringLiteral(".."), QStringLiteral("|"), QStringLiteral("Alpha"),
                           QStringLiteral("Zeta")}));
    ASSERT_EQ(panel->fileList()->count(), 1);

    // A folder with sub-folders is a submenu whose ".." selects the folder itself.
    QAction* alpha = findAction(panel->folderMenu(), QStringLiteral("Alpha"));
    ASSERT_NE(alpha, nullptr);
    ASSERT_NE(alpha->menu(), nullptr);
    QAction* inner = findAction(alpha->menu(), QStringLiteral("Inner"));
    ASSERT_NE(inner, nullptr);
    inner->trigger();
    EXPECT_EQ(panel->subFolder(), QStringLiteral("Alpha\\Inner"));
    ASSERT_EQ(panel->fileList()->count(), 1);
    EXPECT_EQ(panel->fileList()->item(0)->text(), QStringLiteral("i.lmk"));
    findAction(alpha->menu(), QStringLiteral(".."))->trigger();
    EXPECT_EQ(panel->subFolder(), QStringLiteral("Alpha"));
    EXPECT_EQ(panel->fileList()->count(), 0);
    EXPECT_TRUE(panel->preview().empty());
    findAction(panel->folderMenu(), QStringLiteral(".."))->trigger();
    EXPECT_EQ(panel->subFolder(), QStringLiteral(".."));
    EXPECT_EQ(panel->fileList()->count(), 1);

    // A stored sub-folder that no longer exists shows the root.
    panel->setFolders(library.path(), QStringLiteral("Gone"), home.path());
    EXPECT_EQ(panel->subFolder(), QStringLiteral("..."));
    // A root that does not exist falls back.
    panel->setFolders(library.filePath(QStringLiteral("missing")), QStringLiteral("..."), home.path());
    EXPECT_EQ(panel->root(), home.path());
}

TEST_F(MacroWindow, DamagedMacroShowsMessageAndPanelStaysUsable)
{
    QFile bad(lib(QStringLiteral("a_bad.lmk")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not a macro at all");
    bad.close();
    writeMacro(lib(QStringLiteral("b_good.lmk")), sideOneMacro());
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    ASSERT_EQ(panel->fileList()->count(), 2);
    ASSERT_EQ(boxes.size(), 1u); // the first entry was chosen and refused
    EXPECT_TRUE(panel->preview().empty());
    panel->fileList()->setCurrentRow(1);
    EXPECT_FALSE(panel->preview().empty());
    EXPECT_EQ(panel->preview().elements().size(), 3u);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(MacroWindow, DropPlacesMirroredOnSideTwoAndEachDropIsItsOwnGroup)
{
    writeMacro(lib(QStringLiteral("m.lmk")), sideOneMacro());
    board().ActiveLayer = LayerK2;
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    ASSERT_FALSE(panel->preview().empty());
    // Drawn for side 1, chosen while K2 is active: both option buttons went down.
    EXPECT_TRUE(panel->findChild<QToolButton*>(QStringLiteral("SB_MakroSpiegeln"))->isChecked());
    EXPECT_TRUE(panel->findChild<QToolButton*>(QStringLiteral("SB_MakroLayerChange"))->isChecked());

    MacroDropTarget& target = *window->macroDropTarget();
    const QPoint at = pixelOf({5080, -5080});
    ASSERT_TRUE(target.dragTo(at, false));
    EXPECT_NE(window->boardWidget()->preview(PreviewKind::Move), nullptr);
    const TPoint offset = target.offsetAt(at, false);
    target.dropAt(at, false);
    EXPECT_EQ(window->boardWidget()->preview(PreviewKind::Move), nullptr);
    ASSERT_EQ(board().Elements.size(), 3u);
    for (const auto& e : board().Elements) {
        EXPECT_TRUE(e->Selected);
        EXPECT_TRUE(e->Layer == LayerK2 || e->Layer == LayerB2);
    }
    // Mirrored about the origin: the second pad lies left of the first.
    EXPECT_EQ(board().Elements[0]->X, offset.x);
    EXPECT_EQ(board().Elements[1]->X, offset.x - 254);
    EXPECT_TRUE(window->project().Modified);

    target.dropAt(pixelOf({10160, -5080}), false);
    ASSERT_EQ(board().Elements.size(), 6u);
    const std::int32_t first = board().Elements[0]->lastGroup();
    const std::int32_t second = board().Elements[3]->lastGroup();
    EXPECT_NE(first, 0);
    EXPECT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(board().Elements[2]->lastGroup(), first);
    EXPECT_EQ(board().Elements[5]->lastGroup(), second);
    // The second drop selected only its own elements.
    EXPECT_FALSE(board().Elements[0]->Selected);
    EXPECT_TRUE(board().Elements[5]->Selected);
    // One undo step per drop.
    window->undo();
    EXPECT_EQ(board().Elements.size(), 3u);
}

TEST_F(MacroWindow, ForeignDragsAreRefused)
{
    writeMacro(lib(QStringLiteral("m.lmk")), sideOneMacro());
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    QWidget* viewport = window->boardWidget()->viewport();
    QMimeData data;
    data.setData(QString::fromLatin1(MacroMimeType), QFile::encodeName(lib(QStringLiteral("m.lmk"))));
    // Dragged from another program (no source in this one): nothing is placed.
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(board().Elements.empty());
    EXPECT_FALSE(drop.isAccepted());

    // An empty macro cannot be dropped at all.
    panel->preview().clear();
    EXPECT_FALSE(window->macroDropTarget()->dragTo(QPoint(100, 100), false));
    window->macroDropTarget()->dropAt(QPoint(100, 100), false);
    EXPECT_TRUE(board().Elements.empty());
}

TEST_F(MacroWindow, SavingTheSelectionOrTheWholeBoard)
{
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    // An empty board is refused with its message.
    window->saveMacro();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(
        boxes[0].line().startsWith(QStringLiteral("Savce macro: There are no elements on the board.")));

    for (auto& e : sideOneMacro())
        board().Elements.push_back(std::move(e));
    // Nothing selected: the question decides; No ends the command without a file.
    answers = {QMessageBox::No};
    nextFileName = lib(QStringLiteral("never"));
    window->saveMacro();
    EXPECT_FALSE(QFileInfo::exists(lib(QStringLiteral("never.lmk"))));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].line().contains(QStringLiteral("Save whole layout as macro?")));

    answers = {QMessageBox::Yes};
    nextFileName = lib(QStringLiteral("whole"));
    window->saveMacro();
    EXPECT_EQ(askedFolder, panel->currentFolder());
    ASSERT_TRUE(QFileInfo::exists(lib(QStringLiteral("whole.lmk"))));
    EXPECT_EQ(panel->fileList()->currentItem()->text(), QStringLiteral("whole.lmk"));
    EXPECT_EQ(panel->preview().elements().size(), 3u);

    board().Elements[2]->Selected = 1;
    nextFileName = lib(QStringLiteral("outline.lmk"));
    window->saveMacro();
    const MacroFileContent read =
        ReadMacroFile(QFile::encodeName(lib(QStringLiteral("outline.lmk"))).toStdString());
    EXPECT_EQ(read.version, 4);
    ASSERT_EQ(read.elements.size(), 1u);
    EXPECT_EQ(read.elements[0]->Layer, LayerB1);
    EXPECT_EQ(panel->fileList()->count(), 2);
}

TEST_F(MacroWindow, DeletingAskFirstAndChoosesTheNeighbour)
{
    writeMacro(lib(QStringLiteral("a.lmk")), sideOneMacro());
    writeMacro(lib(QStringLiteral("b.lmk")), sideOneMacro(), "bee");
    writeMacro(lib(QStringLiteral("c.lmk")), sideOneMacro(), "cee");
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    panel->fileList()->setCurrentRow(1);
    answers = {QMessageBox::Cancel};
    panel->deleteMacro();
    EXPECT_TRUE(QFileInfo::exists(lib(QStringLiteral("b.lmk"))));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].line().contains(QStringLiteral("Delete file \"b.lmk\" ?")));
    answers = {QMessageBox::Ok};
    panel->deleteMacro();
    EXPECT_FALSE(QFileInfo::exists(lib(QStringLiteral("b.lmk"))));
    ASSERT_EQ(panel->fileList()->count(), 2);
    EXPECT_EQ(panel->fileList()->currentRow(), 1);
    EXPECT_EQ(panel->preview().comment1(), "cee");
    // Deleting the last entry chooses the one before it.
    answers = {QMessageBox::Ok};
    panel->deleteMacro();
    EXPECT_EQ(panel->fileList()->count(), 1);
    EXPECT_EQ(panel->fileList()->currentRow(), 0);
}

TEST_F(MacroWindow, ChangedCommentIsWrittenBackWhenAnotherMacroIsChosen)
{
    writeMacro(lib(QStringLiteral("a.lmk")), sideOneMacro(), "old");
    writeMacro(lib(QStringLiteral("b.lmk")), sideOneMacro());
    board().ActiveLayer = LayerK1; // no side match: the geometry is read back unchanged
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    auto* line = panel->findChild<QLineEdit*>(QStringLiteral("E_Makrotext1"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("old"));
    line->selectAll();
    line->insert(QStringLiteral("Größe")); // as typed: an edit by the user
    panel->fileList()->setCurrentRow(1);
    const MacroFileContent read =
        ReadMacroFile(QFile::encodeName(lib(QStringLiteral("a.lmk"))).toStdString());
    EXPECT_EQ(read.line1, "Gr\xF6\xDF"
                          "e");
    ASSERT_EQ(read.elements.size(), 3u);
    EXPECT_EQ(read.elements[1]->X, 254);
}

TEST_F(MacroWindow, PanelVisibilityAndFoldersPersist)
{
    writeMacro(lib(QStringLiteral("Sub/a.lmk")), sideOneMacro());
    // Shown on the first start; hidden and shown again through the menu.
    EXPECT_TRUE(window->macroPanelShown());
    window->action(QStringLiteral("Makrofenster1"))->trigger();
    EXPECT_FALSE(window->macroPanelShown());
    window->action(QStringLiteral("Makrofenster1"))->trigger();
    EXPECT_TRUE(window->macroPanelShown());
    EXPECT_TRUE(window->action(QStringLiteral("TB_Makro"))->isChecked());
    panel->setFolders(library.path(), QStringLiteral("Sub"), home.path());
    emit panel->foldersChanged();
    window->close();
    window.reset();

    window = makeWindow();
    EXPECT_TRUE(window->macroPanelShown());
    EXPECT_EQ(window->macroPanel()->root(), library.path());
    EXPECT_EQ(window->macroPanel()->subFolder(), QStringLiteral("Sub"));
    EXPECT_EQ(window->macroPanel()->fileList()->count(), 1);
    // The panel's own hide button.
    window->macroPanel()->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click();
    EXPECT_FALSE(window->macroPanelShown());
    EXPECT_FALSE(window->action(QStringLiteral("Makrofenster1"))->isChecked());
}

TEST_F(MacroWindow, ChangingTheActiveLayerMatchesTheLoadedMacroAgain)
{
    writeMacro(lib(QStringLiteral("m.lmk")), sideOneMacro());
    board().ActiveLayer = LayerK1;
    panel->setFolders(library.path(), QStringLiteral("..."), home.path());
    ASSERT_FALSE(panel->preview().empty());
    auto* mirror = panel->findChild<QToolButton*>(QStringLiteral("SB_MakroSpiegeln"));
    auto* side = panel->findChild<QToolButton*>(QStringLiteral("SB_MakroLayerChange"));
    // Each new active layer: the side the preview (and so a drop) shows the macro on.
    struct Step {
        int active;
        bool sideTwo;
    };
    for (const Step s : {Step{LayerK2, true}, Step{LayerB2, true}, Step{LayerB1, false}, Step{LayerK1, false},
                         Step{LayerK2, true}}) {
        SCOPED_TRACE("active layer " + std::to_string(s.active));
        window->setActiveLayer(s.active);
        EXPECT_EQ(mirror->isChecked(), s.sideTwo);
        EXPECT_EQ(side->isChecked(), s.sideTwo);
        const ElementList& shown = panel->preview().elements();
        EXPECT_EQ(shown[0]->Layer, s.sideTwo ? LayerK2 : LayerK1);
        EXPECT_EQ(shown[1]->X, s.sideTwo ? -254 : 254); // mirrored about the origin on side 2
    }
}

TEST_F(MacroWindow, TheFirstStartShowsTheStarterLibraryAndLaterStartsKeepTheUsersChoice)
{
    // No settings file: the panel is open on the first folder, its first footprint previewed.
    EXPECT_TRUE(window->macroPanelShown());
    EXPECT_TRUE(window->action(QStringLiteral("TB_Makro"))->isChecked());
    EXPECT_EQ(panel->subFolder(), QStringLiteral("DIP"));
    ASSERT_GT(panel->fileList()->count(), 0);
    EXPECT_EQ(panel->fileList()->currentRow(), 0);
    EXPECT_FALSE(panel->preview().empty());

    struct Run {
        bool hide; // what the user does before closing
        bool shownAfterwards;
    };
    for (const Run run : {Run{true, false}, Run{false, false}}) {
        if (run.hide && window->macroPanelShown())
            window->action(QStringLiteral("Makrofenster1"))->trigger();
        window->close();
        window.reset();
        window = makeWindow();
        EXPECT_EQ(window->macroPanelShown(), run.shownAfterwards);
        EXPECT_EQ(window->macroPanel()->subFolder(), QStringLiteral("DIP")) << "the folder is kept";
    }
}
