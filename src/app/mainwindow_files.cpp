// The main window's file and board commands: New, Open, Reload boards, Save, Save as, the close
// question, recent files, autosave, the working folders, and the board tabs.

#include "app/mainwindow.h"

#include "app/autosave.h"
#include "app/maintexts.h"
#include "dialogs/autosavedlg.h"
#include "dialogs/lgroesse.h"
#include "dialogs/verzeichnisdlg.h"
#include "document/layoutfile.h"
#include "edit/layouttext.h"
#include "edit/session.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTabBar>

namespace trevok
{

namespace
{

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Closing and opening

bool MainWindow::CloseProject()
{
    if (NeedsSaveQuestion(project_)) {
        const auto answer =
            ask(QMessageBox::Question, CaptionQ(MsgId::SaveQuestion), MessageQ(MsgId::SaveQuestion),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::Escape || answer == QMessageBox::NoButton)
            return false;
        if (answer == QMessageBox::Yes && !fileSave())
            return false;
    }
    if (session_)
        session_->abortOperation();
    board_->setPaintingSuspended(true);
    view_.detachBoard();
    ClearProject(project_);
    board_->setPaintingSuspended(false);
    return true;
}

void MainWindow::fileNew()
{
    if (!CloseProject()) {
        syncTabs();
        return;
    }
    startNewProject(project_, CurrentLanguage());
    syncTabs();
    updateTitle();
    boardProperties();
    project_.Modified = false;
    updateCommandStates();
}

void MainWindow::fileOpen()
{
    const QString path = askFileName(false, MainText("ffnen1").remove(QLatin1Char('&')), layoutFolder(),
                                     QtFileFilter(MainText("OpenDialog", TextKind::Filter)));
    if (!path.isEmpty())
        openLayout(path);
}

bool MainWindow::openLayout(const QString& path)
{
    // The checks come before the close question, so that a wrong file leaves the project alone.
    try {
        CheckLayoutFile(localPath(path));
    } catch (const TrevokError& error) {
        const bool missing = error.id == MsgId::FileNotFound;
        showMessage(error.id, error.args, missing ? QMessageBox::Warning : QMessageBox::Critical);
        return false;
    }
    if (!CloseProject()) {
        syncTabs();
        return false;
    }
    LayoutReadResult result;
    board_->setPaintingSuspended(true);
    try {
        result = ReadLayoutFile(project_, localPath(path), false, CurrentLanguage());
    } catch (const TrevokError& error) {
        board_->setPaintingSuspended(false);
        showMessage(error.id, error.args, QMessageBox::Critical);
        if (project_.Boards.empty())
            startNewProject(project_, CurrentLanguage());
        syncTabs();
        updateTitle();
        return false;
    }
    board_->setPaintingSuspended(false);
    afterLoading(result, path, false);
    return true;
}

void MainWindow::reloadBoards()
{
    const QString path = askFileName(false, MainText("Platinennachladen1").remove(QLatin1Char('&')),
                                     layoutFolder(), QtFileFilter(MainText("OpenDialog", TextKind::Filter)));
    if (path.isEmpty())
        return;
    if (session_)
        session_->abortOperation();
    LayoutReadResult result;
    try {
        result = ReadLayoutFile(project_, localPath(path), true, CurrentLanguage());
    } catch (const TrevokError& error) {
        const bool missing = error.id == MsgId::FileNotFound;
        showMessage(error.id, error.args, missing ? QMessageBox::Warning : QMessageBox::Critical);
        return;
    }
    afterLoading(result, path, true);
}

void MainWindow::afterLoading(const LayoutReadResult& result, const QString& path, bool reload)
{
    syncTabs();
    if (!reload && !result.error) {
        currentFolders_.layout = QFileInfo(path).absolutePath();
        addRecentFile(path);
    } else if (reload && !result.error) {
        addRecentFile(path);
    }
    updateTitle();
    board_->boardSwitched();
    updateCommandStates();

    if (result.error)
        showMessage(result.error->id, result.error->args, QMessageBox::Critical);
    for (const FileNotice& notice : result.notices()) {
        if (notice.id == MsgId::FontTextQuestion) {
            offerFontTextConversion();
        } else {
            showMessage(notice.id, notice.args, QMessageBox::Warning);
        }
    }
    if (!reload && !result.error)
        offerNewerBackup(path);
}

void MainWindow::offerFontTextConversion()
{
    const int count = countFontTexts(project_);
    if (count <= 0)
        return;
    const auto answer =
        ask(QMessageBox::Question, CaptionQ(MsgId::FontTextQuestion),
            MessageQ(MsgId::FontTextQuestion, {std::to_string(count)}), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    convertFontTexts(project_, logicalDpiX());
    project_.Modified = true;
    board_->repaintAll();
    updateCommandStates();
    showMessage(MsgId::FontTextsConverted, {}, QMessageBox::Information);
}

void MainWindow::offerNewerBackup(const QString& path)
{
    const std::optional<BackupInfo> backup = NewerBackup(path);
    if (!backup)
        return;
    const QString when = QLocale().toString(backup->modified, QLocale::ShortFormat);
    const QString text =
        T("Zu diesem Layout gibt es eine neuere Sicherungskopie vom %1:\n%2\n\n"
          "Vermutlich wurde das Programm nach einem automatischen Speichern nicht ordnungsgemäss beendet. "
          "Möchten Sie die Sicherungskopie öffnen? Die Sicherungskopie bleibt in jedem Fall erhalten.",
          "There is a newer backup of this layout from %1:\n%2\n\n"
          "The program probably ended without saving after an autosave. Do you want to open the backup? "
          "The backup is kept in any case.",
          "Il existe une sauvegarde plus récente de ce tracé du %1 :\n%2\n\n"
          "Le programme s'est probablement terminé sans enregistrer après une sauvegarde automatique. "
          "Voulez-vous ouvrir la sauvegarde ? La sauvegarde est conservée dans tous les cas.")
            .arg(when, QDir::toNativeSeparators(backup->path));
    if (ask(QMessageBox::Question, QStringLiteral("Trevok"), text, QMessageBox::Yes | QMessageBox::No) ==
        QMessageBox::Yes)
        openLayout(backup->path);
}

bool MainWindow::saveTo(const QString& path)
{
    if (session_)
        session_->abortOperation();
    try {
        SaveProject(project_, localPath(path));
    } catch (const TrevokError& error) {
        showMessage(error.id, error.args, QMessageBox::Critical);
        return false;
    }
    currentFolders_.layout = QFileInfo(path).absolutePath();
    updateTitle();
    updateCommandStates();
    return true;
}

bool MainWindow::fileSave()
{
    if (project_.FileName.empty())
        return fileSaveAs();
    return saveTo(QFile::decodeName(QByteArray::fromStdString(project_.FileName)));
}

bool MainWindow::fileSaveAs()
{
    QString path = askFileName(true, MainText("Speichernals1").remove(QLatin1Char('&')), layoutFolder(),
                               QtFileFilter(MainText("SaveDialog", TextKind::Filter)));
    if (path.isEmpty())
        return false;
    // A name typed without extension gets the layout extension, as the filter suggests.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".lay");
    return saveTo(path);
}

// ---------------------------------------------------------------------------------------------
// Start file, recent files, autosave, folders

void MainWindow::openStartFile(const QString& path)
{
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        showMessage(MsgId::FileNotFound, {}, QMessageBox::Warning);
        return;
    }
    openLayout(path);
}

void MainWindow::openRecent(int index)
{
    const QString path = recent_.path(index);
    if (!QFileInfo::exists(path)) {
        ask(QMessageBox::Warning, T("Öffnen", "Open", "Ouvrir"),
            T("Datei nicht gefunden", "File not found", "Fichier non trouvé !"), QMessageBox::Ok);
        return;
    }
    openLayout(path);
}

void MainWindow::addRecentFile(const QString& path)
{
    if (recent_.AddRecentFile(QFileInfo(path).absoluteFilePath())) {
        settings_.recentFiles = recent_.paths();
        settingsFile_->writeRecentFiles(recent_.paths());
    }
    updateRecentMenu();
}

void MainWindow::autoSaveDialog()
{
    TAutoSaveDlg dialog(this);
    dialog.setValues(autoSaver_->isEnabled(), autoSaver_->interval());
    if (!runDialog(dialog))
        return;
    autoSaver_->setInterval(dialog.intervalMs());
    autoSaver_->setEnabled(dialog.autoSaveOn());
}

void MainWindow::workingFoldersDialog()
{
    TVerzeichnisDlg dialog(this);
    dialog.setFolders(settings_.folders);
    if (!runDialog(dialog))
        return;
    settings_.folders = dialog.folders();
    currentFolders_ = settings_.folders;
}

// ---------------------------------------------------------------------------------------------
// Boards

void MainWindow::showBoard(int index)
{
    if (index < 0 || index >= static_cast<int>(project_.Boards.size()) || index == project_.Current) {
        syncTabs();
        return;
    }
    if (session_)
        session_->abortOperation();
    board_->setPaintingSuspended(true);
    ShowBoard(project_, index);
    board_->setPaintingSuspended(false);
    syncTabs();
    board_->boardSwitched();
    updateCommandStates();
}

bool MainWindow::boardProperties()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return false;
    TL_Groesse dialog(this);
    dialog.setBoard(*board);
    if (!runDialog(dialog))
        return false;
    dialog.applyTo(project_);
    view_.setBoardSize(board->BoardWidth, board->BoardHeight);
    syncTabs();
    board_->boardSwitched();
    updateCommandStates();
    return true;
}

void MainWindow::addBoard()
{
    if (session_)
        session_->abortOperation();
    AddBoard(project_, CurrentLanguage());
    syncTabs();
    board_->boardSwitched();
    boardProperties();
    updateCommandStates();
}

void MainWindow::deleteBoard()
{
    try {
        checkBoardDeletable(project_);
    } catch (const TrevokError& error) {
        showMessage(error.id, error.args, QMessageBox::Information);
        return;
    }
    const TBoard* board = project_.currentBoard();
    const std::vector<std::string> args{board->Name};
    if (ask(QMessageBox::Question, CaptionQ(MsgId::DeleteBoardQuestion),
            MessageQ(MsgId::DeleteBoardQuestion, args),
            QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    if (session_)
        session_->abortOperation();
    view_.detachBoard();
    board_->setPaintingSuspended(true);
    RemoveBoard(project_, project_.Current);
    board_->setPaintingSuspended(false);
    syncTabs();
    board_->boardSwitched();
    updateCommandStates();
}

void MainWindow::moveBoard(bool right, bool toEnd)
{
    if (session_)
        session_->abortOperation();
    const bool moved = right ? (toEnd ? moveBoardToEnd(project_) : moveBoardRight(project_))
                             : (toEnd ? moveBoardToStart(project_) : moveBoardLeft(project_));
    if (!moved)
        return;
    syncTabs();
    updateCommandStates();
}

} // namespace trevok
