// The main window's file and board commands: New, Open, Reload boards, Save, Save as, the close
// question, recent files, autosave, the working folders, and the board tabs.

#include "app/mainwindow.h"

#include "app/autosave.h"
#include "document/filenames.h"
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
#include <QLabel>
#include <QLocale>
#include <QTabBar>

namespace trevok
{

namespace
{

std::string localPath(const QString& path)
{
    return LocalPath(path);
}

/// Where the project's file lives, as the window carries names.
QString currentFile(const TProject& project)
{
    return PathFromLocal(project.FileName);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The edge of every command: running out of memory, or any other failure a command throws

bool MainWindow::guardCommand(const std::function<void()>& command)
{
    // What the command may change: the boards (Reload boards appends), the current board's
    // list (every edit pushes a snapshot first) and the modified mark.
    const std::size_t boards = project_.Boards.size();
    const int current = project_.Current;
    const TBoard* board = project_.currentBoard();
    const std::size_t undoDepth = board ? board->UndoStack.size() : 0;
    const void* newestSnapshot =
        board && !board->UndoStack.empty() ? board->UndoStack.back().data() : nullptr;
    const bool modified = project_.Modified;
    // Puts the project back as it was. After running out of memory this frees what the command
    // was building before anything else needs memory; putting things back may itself run out or
    // fail, and the message comes all the same.
    const auto restore = [&]() noexcept {
        try {
            if (session_)
                session_->abortOperation();
            if (project_.Boards.size() > boards && current >= 0) {
                view_.detachBoard();
                board_->setPaintingSuspended(true);
                ShowBoard(project_, current);
                project_.Boards.resize(boards);
                board_->setPaintingSuspended(false);
            }
            TBoard* now = project_.currentBoard();
            if (now && now == board && !now->UndoStack.empty() &&
                (now->UndoStack.size() > undoDepth || now->UndoStack.back().data() != newestSnapshot)) {
                // The command's own snapshot is the list as it was before.
                now->Elements = std::move(now->UndoStack.back());
                now->UndoStack.pop_back();
            }
            if (project_.Boards.size() == boards)
                project_.Modified = modified;
            if (project_.Boards.empty()) {
                // Open had closed the project with the user's word before the failure.
                fileStamp_.reset();
                startNewProject(project_, CurrentLanguage());
                updateTitle();
            }
            syncTabs();
            board_->boardSwitched();
            updateCommandStates();
        } catch (...) {
        }
    };
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        restore();
        showMessage(MsgId::OutOfMemory, {}, QMessageBox::Critical);
    } catch (const TrevokError& e) {
        restore();
        showMessage(e.id, e.args, QMessageBox::Critical);
    } catch (const std::exception& e) {
        restore();
        showMessage(MsgId::CommandFailed, {e.what()}, QMessageBox::Critical);
    } catch (...) {
        restore();
        showMessage(MsgId::CommandFailed, {"?"}, QMessageBox::Critical);
    }
    return false;
}

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
    fileStamp_.reset();
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
    // From here until the recovery question is answered no backup may be written: the
    // questions on the way (old font texts, reading errors) keep the event loop running, and a
    // tick would write the project just read over the backup that is still to be offered.
    struct HoldAutoSave {
        AutoSaver& saver;
        explicit HoldAutoSave(AutoSaver& s) : saver(s) { saver.hold(); }
        ~HoldAutoSave() { saver.release(); }
    } holdAutoSave(*autoSaver_);
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
    if (!reload) {
        fileStamp_ = result.error ? std::nullopt : StampOf(localPath(path));
    }
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
          "Möchten Sie die Sicherungskopie wiederherstellen? Die Sicherungskopie bleibt in jedem Fall "
          "erhalten.",
          "There is a newer backup of this layout from %1:\n%2\n\n"
          "The program probably ended without saving after an autosave. Do you want to restore the backup? "
          "The backup is kept in any case.",
          "Il existe une sauvegarde plus récente de ce tracé du %1 :\n%2\n\n"
          "Le programme s'est probablement terminé sans enregistrer après une sauvegarde automatique. "
          "Voulez-vous restaurer la sauvegarde ? La sauvegarde est conservée dans tous les cas.")
            .arg(when, DisplayPath(backup->path));
    // The next tick would write the opened project over the backup this question is about.
    autoSaver_->hold();
    const bool restore = ask(QMessageBox::Question, QStringLiteral("Trevok"), text,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    if (restore) {
        autoSaver_->release();
        restoreBackup(path, backup->path);
        return;
    }
    try {
        const QString kept = KeepDeclinedBackup(*backup);
        autoSaver_->release();
        ask(QMessageBox::Information, QStringLiteral("Trevok"),
            T("Die Sicherungskopie wurde aufbewahrt als:\n%1", "The backup has been kept as:\n%1",
              "La sauvegarde a été conservée sous :\n%1")
                .arg(DisplayPath(kept)),
            QMessageBox::Ok);
    } catch (const TrevokError& error) {
        // It stays under its name, so the next autosave must not write there.
        autoSaver_->release();
        autoSaver_->setEnabled(false);
        ask(QMessageBox::Warning, QStringLiteral("Trevok"),
            MessageQ(error.id, error.args) + QStringLiteral("\n\n") +
                T("Das automatische Speichern ist ausgeschaltet, damit die Sicherungskopie nicht "
                  "überschrieben wird.",
                  "Autosave has been switched off so that the backup is not overwritten.",
                  "La sauvegarde automatique a été désactivée pour que la sauvegarde ne soit pas écrasée."),
            QMessageBox::Ok);
    }
}

void MainWindow::restoreBackup(const QString& layoutPath, const QString& backupPath)
{
    if (!openLayout(backupPath) || project_.FileName != localPath(backupPath))
        return; // not read, or only in part: the messages said so, the ".lay" stays out of reach
    // The backup's content is the project now, but it belongs to the layout file: Save writes
    // there, autosave goes on into the backup.
    project_.FileName = localPath(layoutPath);
    project_.Modified = true;
    fileStamp_ = StampOf(localPath(layoutPath));
    updateTitle();
    updateCommandStates();
    ask(QMessageBox::Information, QStringLiteral("Trevok"),
        T("Die Sicherungskopie wurde wiederhergestellt. Das Layout gilt als geändert; "
          "\"Speichern\" schreibt es nach:\n%1",
          "The backup has been restored. The layout counts as changed; \"Save\" writes it to:\n%1",
          "La sauvegarde a été restaurée. Le tracé est considéré comme modifié ; "
          "« Enregistrer » l'écrit dans :\n%1")
            .arg(DisplayPath(layoutPath)),
        QMessageBox::Ok);
}

bool MainWindow::saveTo(const QString& path)
{
    if (session_)
        session_->abortOperation();
    const std::string target = localPath(path);
    // Another program (or another window) may have written the file since it was opened here.
    if (target == project_.FileName && fileStamp_) {
        const std::optional<FileStamp> now = StampOf(target);
        if (now && *now != *fileStamp_) {
            const auto answer =
                ask(QMessageBox::Warning, T("Speichern", "Save", "Enregistrer"),
                    T("\"%1\" wurde seit dem Öffnen von einem anderen Programm geändert.\n\n"
                      "Ja: die Datei überschreiben\nNein: unter einem anderen Namen speichern\nAbbrechen: "
                      "nicht speichern",
                      "\"%1\" has been changed by another program since it was opened.\n\n"
                      "Yes: overwrite the file\nNo: save under another name\nCancel: do not save",
                      "\"%1\" a été modifié par un autre programme depuis son ouverture.\n\n"
                      "Oui : écraser le fichier\nNon : enregistrer sous un autre nom\nAnnuler : ne pas "
                      "enregistrer")
                        .arg(DisplayPath(path)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            if (answer == QMessageBox::No)
                return fileSaveAs();
            if (answer != QMessageBox::Yes)
                return false;
        }
    }
    WriteOptions options;
    options.refuseHardLinked = true;
    for (;;) {
        try {
            SaveProject(project_, target, options);
            break;
        } catch (const TrevokError& error) {
            if (error.id == MsgId::HardLinked && options.refuseHardLinked &&
                ask(QMessageBox::Question, CaptionQ(error.id), MessageQ(error.id, error.args),
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
                options.refuseHardLinked = false;
                continue;
            }
            if (error.id != MsgId::HardLinked)
                showMessage(error.id, error.args, QMessageBox::Critical);
            return false;
        }
    }
    fileStamp_ = StampOf(target);
    currentFolders_.layout = QFileInfo(path).absolutePath();
    updateTitle();
    updateCommandStates();
    return true;
}

bool MainWindow::fileSave()
{
    if (project_.FileName.empty())
        return fileSaveAs();
    return saveTo(currentFile(project_));
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
    if (!LocalExists(path)) {
        showMessage(MsgId::FileNotFound, {localPath(path)}, QMessageBox::Warning);
        return;
    }
    openLayout(path);
}

void MainWindow::openRecent(int index)
{
    const QString path = recent_.path(index);
    if (!LocalExists(path)) {
        showMessage(MsgId::FileNotFound, {localPath(path)}, QMessageBox::Warning);
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

void MainWindow::connectAutoSaver()
{
    connect(autoSaver_.get(), &AutoSaver::backupFinished, this, &MainWindow::autoSaveFinished);
}

void MainWindow::autoSaveFinished(bool ok, const QString& path, const QString& error)
{
    if (ok)
        return;
    // The timer keeps running: the next interval tries again (the disk may have room by then).
    hint_->setText(T("Automatisches Speichern fehlgeschlagen: %1", "Autosave failed: %1",
                     "Échec de la sauvegarde automatique : %1")
                       .arg(error));
    if (autoSaveFailureShown_ || closing_)
        return;
    autoSaveFailureShown_ = true;
    ask(QMessageBox::Warning, T("Autospeichern", "AutoSave", "Sauvegarde auto"),
        T("Die Sicherungskopie \"%1\" konnte nicht geschrieben werden:\n%2\n\n"
          "Das automatische Speichern versucht es bei jedem Intervall erneut; weitere Fehler zeigt nur "
          "die Statuszeile.",
          "The backup \"%1\" could not be written:\n%2\n\n"
          "Autosave tries again at every interval; further failures are shown in the status line only.",
          "La sauvegarde \"%1\" n'a pas pu être écrite :\n%2\n\n"
          "La sauvegarde automatique réessaie à chaque intervalle ; les échecs suivants ne sont "
          "affichés que dans la ligne d'état.")
            .arg(DisplayPath(path), error),
        QMessageBox::Ok);
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
