// The main window's side of the macro library: the panel docked at the right edge, its settings,
// the drop target on the drawing area, and "Makro speichern".

#include "app/macropanel.h"
#include "app/maintexts.h"
#include "app/mainwindow.h"
#include "app/startermacros.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "edit/editcommands.h"
#include "edit/macrolibrary.h"
#include "edit/session.h"
#include "view/colours.h"
#include "view/texts.h"
#include "view/userfolder.h"
#include "view/widgets/boardwidget.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>

namespace trevok
{

void MainWindow::buildMacroPanel()
{
    macroDock_ = new QDockWidget(this);
    macroDock_->setObjectName(QStringLiteral("MacroDock"));
    macroDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    // The panel has its own title and hide button.
    macroDock_->setTitleBarWidget(new QWidget(macroDock_));
    macroPanel_ = new MacroPanel(macroDock_);
    macroDock_->setWidget(macroPanel_);
    addDockWidget(Qt::RightDockWidgetArea, macroDock_);
    macroDock_->hide();

    macroPanel_->messageBox = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                                     QMessageBox::StandardButtons buttons) {
        return shell_->messageBox(icon, caption, text, buttons);
    };
    macroPanel_->askFolder = [this](const QString& caption, const QString& start) {
        return QFileDialog::getExistingDirectory(this, caption, start);
    };
    macroPanel_->activeLayer = [this] {
        const TBoard* b = project_.currentBoard();
        return b ? static_cast<int>(b->ActiveLayer) : static_cast<int>(LayerK2);
    };
    macroPanel_->grid = [this] { return board_->grid(); };
    connect(macroPanel_, &MacroPanel::hideRequested, this, [this] { setMacroPanelShown(false); });
    connect(macroPanel_, &MacroPanel::saveRequested, this, &MainWindow::saveMacro);
    connect(macroPanel_, &MacroPanel::foldersChanged, this, [this] {
        settings_.macroRoot = macroPanel_->root();
        settings_.macroSubFolder = macroPanel_->subFolder();
    });

    macroDrop_ = new MacroDropTarget(*board_, *macroPanel_);
    macroDrop_->setSession(session_.get());
    connect(macroDrop_, &MacroDropTarget::dropped, this, [this](const EditResult&) {
        updateCommandStates();
        updateTitle();
    });
    ApplyMainTexts(macroPanel_);
}

bool MainWindow::macroPanelShown() const
{
    return macroDock_ && !macroDock_->isHidden();
}

void MainWindow::setMacroPanelShown(bool shown)
{
    if (!macroDock_)
        return;
    macroDock_->setVisible(shown);
    for (const char* name : {"Makrofenster1", "TB_Makro"})
        if (QAction* a = action(QString::fromLatin1(name)))
            a->setChecked(shown);
    if (shown)
        macroPanel_->setColours(CurrentColours());
}

void MainWindow::chooseMacroRoot()
{
    if (macroPanel_)
        macroPanel_->chooseRoot();
}

void MainWindow::readMacroSettings()
{
    // The starter library goes into the default macro folder the first time there is none;
    // a folder the user made or emptied is never touched.
    const QString defaultRoot = DefaultSettings().macroRoot;
    if (QFileInfo(settings_.macroRoot) == QFileInfo(defaultRoot) && !QFileInfo::exists(defaultRoot))
        InstallStarterMacros(defaultRoot);
    // A new user finds the footprints at once: the panel open on the library's first folder,
    // its first footprint in the preview. Later the user's choice stands.
    if (settings_.firstStart) {
        settings_.macroPanelShown = true;
        const MacroFolder tree = macroFolderTree(LocalPath(settings_.macroRoot));
        if (!tree.children.empty())
            settings_.macroSubFolder = PathFromLocal(tree.children.front().name);
    }
    macroPanel_->setFolders(settings_.macroRoot, settings_.macroSubFolder, UserFolder());
    settings_.macroRoot = macroPanel_->root();
    settings_.macroSubFolder = macroPanel_->subFolder();
    setMacroPanelShown(settings_.macroPanelShown);
}

void MainWindow::writeMacroSettings()
{
    if (!macroPanel_)
        return;
    macroPanel_->writeBackComments();
    settings_.macroPanelShown = macroPanelShown();
    settings_.macroRoot = macroPanel_->root();
    settings_.macroSubFolder = macroPanel_->subFolder();
}

void MainWindow::saveMacro()
{
    TBoard* b = project_.currentBoard();
    if (!b || !macroPanel_)
        return;
    if (session_)
        session_->abortOperation();
    if (b->Elements.empty()) {
        showMessage(MsgId::MacroBoardEmpty, {}, QMessageBox::Warning);
        return;
    }
    if (selectedCount(*b) == 0 &&
        ask(QMessageBox::Question, CaptionQ(MsgId::MacroSaveWholeBoard), MessageQ(MsgId::MacroSaveWholeBoard),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const QString filter = QtFileFilter(
        T("Layout-Makros (*.lmk)|*.LMK", "Layout-Macros (*.lmk)|*.LMK", "Macros-Layout (*.lmk)|*.LMK"));
    QString path = askFileName(true, T("Makro speichern", "Save as macro", "Sauvegarder macro"),
                               macroPanel_->currentFolder(), filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".lmk");
    const MacroSelection macro = macroFromBoard(*b, board_->grid());
    try {
        WriteMacroFile(LocalPath(path), macro.elements, macroPanel_->preview().comment1(),
                       macroPanel_->preview().comment2());
    } catch (const TrevokError& error) {
        showMessage(error.id, error.args, QMessageBox::Warning);
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder) == QFileInfo(macroPanel_->currentFolder())) {
        macroPanel_->refreshList(path);
    } else {
        macroPanel_->loadMacro(path);
    }
}

} // namespace trevok
