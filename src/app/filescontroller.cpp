#include "app/filescontroller.h"

#include "app/autosave.h"
#include "app/boardscontroller.h"
#include "app/maintexts.h"
#include "app/recentfiles.h"
#include "app/settings.h"
#include "app/shell.h"
#include "dialogs/autosavedlg.h"
#include "dialogs/verzeichnisdlg.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "document/project.h"
#include "edit/layouttext.h"
#include "view/texts.h"

#include <QFileInfo>
#include <QLocale>

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
// Closing and opening

bool FilesController::closeProject()
{
    if (NeedsSaveQuestion(p_.project)) {
        const auto answer =
            Ask(shell_, QMessageBox::Question, CaptionQ(MsgId::SaveQuestion), MessageQ(MsgId::SaveQuestion),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::Escape || answer == QMessageBox::NoButton)
            return false;
        if (answer == QMessageBox::Yes && !fileSave())
            return false;
    }
    views_.abortOperation();
    views_.setPaintingSuspended(true);
    views_.detachView();
    ClearProject(p_.project);
    views_.setPaintingSuspended(false);
    return true;
}

void FilesController::fileNew()
{
    if (!closeProject()) {
        views_.boardsChanged();
        return;
    }
    fileStamp_.reset();
    startNewProject(p_.project, CurrentLanguage());
    views_.boardsChanged();
    views_.titleChanged();
    boards_.properties();
    p_.project.Modified = false;
    views_.commandsChanged();
}

void FilesController::fileOpen()
{
    const QString path =
        shell_.askFileName(false, MainText("ffnen1").remove(QLatin1Char('&')), p_.folders.layout,
                           QtFileFilter(MainText("OpenDialog", TextKind::Filter)));
    if (!path.isEmpty())
        openLayout(path);
}

bool FilesController::openLayout(const QString& path)
{
    // The checks come before the close question, so that a wrong file leaves the project alone.
    try {
        CheckLayoutFile(localPath(path));
    } catch (const TrevokError& error) {
        const bool missing = error.id == MsgId::FileNotFound;
        ShowMessage(shell_, error.id, error.args, missing ? QMessageBox::Warning : QMessageBox::Critical);
        return false;
    }
    if (!closeProject()) {
        views_.boardsChanged();
        return false;
    }
    // From here until the recovery question is answered no backup may be written: the
    // questions on the way (old font texts, reading errors) keep the event loop running, and a
    // tick would write the project just read over the backup that is still to be offered.
    struct HoldAutoSave {
        AutoSaver& saver;
        explicit HoldAutoSave(AutoSaver& s) : saver(s) { saver.hold(); }
        ~HoldAutoSave() { saver.release(); }
    } holdAutoSave(p_.autoSaver);
    LayoutReadResult result;
    views_.setPaintingSuspended(true);
    try {
        result = ReadLayoutFile(p_.project, localPath(path), false, CurrentLanguage());
    } catch (const TrevokError& error) {
        views_.setPaintingSuspended(false);
        ShowMessage(shell_, error.id, error.args, QMessageBox::Critical);
        if (p_.project.Boards.empty())
            startNewProject(p_.project, CurrentLanguage());
        views_.boardsChanged();
        views_.titleChanged();
        return false;
    }
    views_.setPaintingSuspended(false);
    afterLoading(result, path, false);
    return true;
}

void FilesController::reloadBoards()
{
    const QString path =
        shell_.askFileName(false, MainText("Platinennachladen1").remove(QLatin1Char('&')), p_.folders.layout,
                           QtFileFilter(MainText("OpenDialog", TextKind::Filter)));
    if (path.isEmpty())
        return;
    views_.abortOperation();
    LayoutReadResult result;
    try {
        result = ReadLayoutFile(p_.project, localPath(path), true, CurrentLanguage());
    } catch (const TrevokError& error) {
        const bool missing = error.id == MsgId::FileNotFound;
        ShowMessage(shell_, error.id, error.args, missing ? QMessageBox::Warning : QMessageBox::Critical);
        return;
    }
    afterLoading(result, path, true);
}

void FilesController::afterLoading(const LayoutReadResult& result, const QString& path, bool reload)
{
    views_.boardsChanged();
    if (!reload) {
        fileStamp_ = result.error ? std::nullopt : StampOf(localPath(path));
    }
    if (!reload && !result.error) {
        p_.folders.layout = QFileInfo(path).absolutePath();
        addRecentFile(path);
    } else if (reload && !result.error) {
        addRecentFile(path);
    }
    views_.titleChanged();
    views_.boardSwitched();
    views_.commandsChanged();

    if (result.error)
        ShowMessage(shell_, result.error->id, result.error->args, QMessageBox::Critical);
    for (const FileNotice& notice : result.notices()) {
        if (notice.id == MsgId::FontTextQuestion) {
            offerFontTextConversion();
        } else {
            ShowMessage(shell_, notice.id, notice.args, QMessageBox::Warning);
        }
    }
    if (!reload && !result.error)
        offerNewerBackup(path);
}

void FilesController::offerFontTextConversion()
{
    const int count = countFontTexts(p_.project);
    if (count <= 0)
        return;
    const auto answer =
        Ask(shell_, QMessageBox::Question, CaptionQ(MsgId::FontTextQuestion),
            MessageQ(MsgId::FontTextQuestion, {std::to_string(count)}), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    convertFontTexts(p_.project, views_.pixelsPerInch());
    p_.project.Modified = true;
    views_.repaintBoard();
    views_.commandsChanged();
    ShowMessage(shell_, MsgId::FontTextsConverted, {}, QMessageBox::Information);
}

void FilesController::offerNewerBackup(const QString& path)
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
    p_.autoSaver.hold();
    const bool restore = Ask(shell_, QMessageBox::Question, QStringLiteral("Trevok"), text,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    if (restore) {
        p_.autoSaver.release();
        restoreBackup(path, backup->path);
        return;
    }
    try {
        const QString kept = KeepDeclinedBackup(*backup);
        p_.autoSaver.release();
        Ask(shell_, QMessageBox::Information, QStringLiteral("Trevok"),
            T("Die Sicherungskopie wurde aufbewahrt als:\n%1", "The backup has been kept as:\n%1",
              "La sauvegarde a été conservée sous :\n%1")
                .arg(DisplayPath(kept)),
            QMessageBox::Ok);
    } catch (const TrevokError& error) {
        // It stays under its name, so the next autosave must not write there.
        p_.autoSaver.release();
        p_.autoSaver.setEnabled(false);
        Ask(shell_, QMessageBox::Warning, QStringLiteral("Trevok"),
            MessageQ(error.id, error.args) + QStringLiteral("\n\n") +
                T("Das automatische Speichern ist ausgeschaltet, damit die Sicherungskopie nicht "
                  "überschrieben wird.",
                  "Autosave has been switched off so that the backup is not overwritten.",
                  "La sauvegarde automatique a été désactivée pour que la sauvegarde ne soit pas écrasée."),
            QMessageBox::Ok);
    }
}

void FilesController::restoreBackup(const QString& layoutPath, const QString& backupPath)
{
    if (!openLayout(backupPath) || p_.project.FileName != localPath(backupPath))
        return; // not read, or only in part: the messages said so, the ".lay" stays out of reach
    // The backup's content is the project now, but it belongs to the layout file: Save writes
    // there, autosave goes on into the backup.
    p_.project.FileName = localPath(layoutPath);
    p_.project.Modified = true;
    fileStamp_ = StampOf(localPath(layoutPath));
    views_.titleChanged();
    views_.commandsChanged();
    Ask(shell_, QMessageBox::Information, QStringLiteral("Trevok"),
        T("Die Sicherungskopie wurde wiederhergestellt. Das Layout gilt als geändert; "
          "\"Speichern\" schreibt es nach:\n%1",
          "The backup has been restored. The layout counts as changed; \"Save\" writes it to:\n%1",
          "La sauvegarde a été restaurée. Le tracé est considéré comme modifié ; "
          "« Enregistrer » l'écrit dans :\n%1")
            .arg(DisplayPath(layoutPath)),
        QMessageBox::Ok);
}

bool FilesController::saveTo(const QString& path)
{
    views_.abortOperation();
    const std::string target = localPath(path);
    // Another program (or another window) may have written the file since it was opened here.
    if (target == p_.project.FileName && fileStamp_) {
        const std::optional<FileStamp> now = StampOf(target);
        if (now && *now != *fileStamp_) {
            const auto answer =
                Ask(shell_, QMessageBox::Warning, T("Speichern", "Save", "Enregistrer"),
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
            SaveProject(p_.project, target, options);
            break;
        } catch (const TrevokError& error) {
            if (error.id == MsgId::HardLinked && options.refuseHardLinked &&
                Ask(shell_, QMessageBox::Question, CaptionQ(error.id), MessageQ(error.id, error.args),
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
                options.refuseHardLinked = false;
                continue;
            }
            if (error.id != MsgId::HardLinked)
                ShowMessage(shell_, error.id, error.args, QMessageBox::Critical);
            return false;
        }
    }
    fileStamp_ = StampOf(target);
    p_.folders.layout = QFileInfo(path).absolutePath();
    views_.titleChanged();
    views_.commandsChanged();
    return true;
}

bool FilesController::fileSave()
{
    if (p_.project.FileName.empty())
        return fileSaveAs();
    return saveTo(currentFile(p_.project));
}

bool FilesController::fileSaveAs()
{
    QString path =
        shell_.askFileName(true, MainText("Speichernals1").remove(QLatin1Char('&')), p_.folders.layout,
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

void FilesController::openStartFile(const QString& path)
{
    if (path.isEmpty())
        return;
    if (!LocalExists(path)) {
        ShowMessage(shell_, MsgId::FileNotFound, {localPath(path)}, QMessageBox::Warning);
        return;
    }
    openLayout(path);
}

void FilesController::openRecent(int index)
{
    const QString path = p_.recent.path(index);
    if (!LocalExists(path)) {
        ShowMessage(shell_, MsgId::FileNotFound, {localPath(path)}, QMessageBox::Warning);
        return;
    }
    openLayout(path);
}

void FilesController::addRecentFile(const QString& path)
{
    if (p_.recent.AddRecentFile(QFileInfo(path).absoluteFilePath())) {
        p_.settings.recentFiles = p_.recent.paths();
        p_.settingsFile.writeRecentFiles(p_.recent.paths());
    }
    views_.recentFilesChanged();
}

void FilesController::autoSaveFinished(bool ok, const QString& path, const QString& error)
{
    if (ok)
        return;
    // The timer keeps running: the next interval tries again (the disk may have room by then).
    shell_.showStatus(T("Automatisches Speichern fehlgeschlagen: %1", "Autosave failed: %1",
                        "Échec de la sauvegarde automatique : %1")
                          .arg(error));
    if (autoSaveFailureShown_ || views_.closing())
        return;
    autoSaveFailureShown_ = true;
    Ask(shell_, QMessageBox::Warning, T("Autospeichern", "AutoSave", "Sauvegarde auto"),
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

void FilesController::autoSaveDialog()
{
    TAutoSaveDlg dialog(views_.dialogParent());
    dialog.setValues(p_.autoSaver.isEnabled(), p_.autoSaver.interval());
    if (!shell_.runDialog(dialog))
        return;
    p_.autoSaver.setInterval(dialog.intervalMs());
    p_.autoSaver.setEnabled(dialog.autoSaveOn());
}

void FilesController::workingFoldersDialog()
{
    TVerzeichnisDlg dialog(views_.dialogParent());
    dialog.setFolders(p_.settings.folders);
    if (!shell_.runDialog(dialog))
        return;
    p_.settings.folders = dialog.folders();
    p_.folders = p_.settings.folders;
}

} // namespace trevok
