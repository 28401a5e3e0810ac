// The main window's exports: Gerber and drill files of the current board through their
// long-lived dialogs. The dialogs fill the same option records as the command-line tool, and the
// same functions write the files.

#include "app/mainwindow.h"

#include "app/checkscontroller.h"
#include "app/maintexts.h"
#include "dialogs/cp1252validator.h"
#include "dialogs/exportdlg.h"
#include "dialogs/fabdlg.h"
#include "dialogs/gerberdlg.h"
#include "dialogs/lochdlg.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "edit/session.h"
#include "output/fabset.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/statusbarwidgets.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUrl>

namespace trevok
{

TGerberDlg* MainWindow::gerberDialog()
{
    if (!gerberDlg_)
        gerberDlg_ = new TGerberDlg(this);
    return gerberDlg_;
}

TLochDlg* MainWindow::drillDialog()
{
    if (!drillDlg_)
        drillDlg_ = new TLochDlg(this);
    return drillDlg_;
}

QString MainWindow::projectFolderOr(const QString& fallback) const
{
    const QString file = PathFromLocal(project_.FileName);
    return file.isEmpty() ? fallback : QFileInfo(file).absolutePath();
}

QString MainWindow::exportSuggestion(const QString& last, const QString& folder,
                                     const QString& extension) const
{
    if (!last.isEmpty()) {
        const QFileInfo chosen(last);
        return chosen.absolutePath() + QLatin1Char('/') + chosen.completeBaseName() + QLatin1Char('.') +
               extension;
    }
    const QString start = projectFolderOr(folder);
    QString name;
    if (const TBoard* board = project_.currentBoard())
        name = fromCp1252(board->Name).trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("board") + name;
    return QDir(start).filePath(name + QLatin1Char('.') + extension);
}

void MainWindow::reportWritten(const QStringList& paths)
{
    QStringList shown;
    for (const QString& p : paths)
        shown << DisplayPath(p);
    statusWidgets_->setHint(
        T("Geschrieben: %1", "Written: %1", "Écrit : %1").arg(shown.join(QStringLiteral(", "))));
}

QString MainWindow::askExportName(const QString& caption, const QString& last, const QString& folder,
                                  const QString& filter, const QString& extension)
{
    QString path = askFileName(true, caption, exportSuggestion(last, folder, extension), filter);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    return path;
}

bool MainWindow::writeExport(const QString& path, const std::string& bytes)
{
    try {
        WriteFileAtomically(LocalPath(path),
                            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        reportWritten({path});
        return true;
    } catch (const TrevokError& error) {
        showMessage(error.id, error.args, QMessageBox::Critical);
        return false;
    }
}

void MainWindow::gerberExport()
{
    if (session_)
        session_->abortOperation();
    // Old font texts are not plotted; they are offered for conversion first.
    offerFontTextConversion();
    if (!checks_->beforeManufacturing())
        return;
    TGerberDlg* dialog = gerberDialog();
    dialog->setLayerColours(board_->colourScheme());
    if (!runDialog(*dialog))
        return;
    const TBoard* board = project_.currentBoard();
    if (!board)
        return;
    const QString path =
        askExportName(dialog->windowTitle(), lastGerberPath_, currentFolders_.gerber,
                      QtFileFilter(QStringLiteral("Gerber-274X (*.gbr)|*.gbr")), QStringLiteral("gbr"));
    if (path.isEmpty())
        return;
    lastGerberPath_ = path;
    writeExport(path, PlotteGerberfile(*board, dialog->options(CurrentLanguage())));
}

void MainWindow::drillExport()
{
    if (session_)
        session_->abortOperation();
    TLochDlg* dialog = drillDialog();
    if (!runDialog(*dialog))
        return;
    const TBoard* board = project_.currentBoard();
    if (!board)
        return;
    const QString path =
        askExportName(dialog->windowTitle(), lastDrillPath_, currentFolders_.gerber,
                      QtFileFilter(MainText("SaveDrillDlg", TextKind::Filter)), QStringLiteral("drl"));
    if (path.isEmpty())
        return;
    lastDrillPath_ = path;
    writeExport(path, WriteExcellon(*board, dialog->options()));
}

bool MainWindow::makeImage(TBoard& board, const ImageOptions& options, std::string& bytes)
{
    QProgressDialog progress(T("Bild wird erstellt...", "Making the image...", "Création de l´image..."),
                             T("&Abbrechen", "&Cancel", "&Annuler"), 0, 100, this);
    progress.setWindowTitle(QStringLiteral("Trevok"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    auto step = [&progress](int done, int total) {
        progress.setValue(total > 0 ? static_cast<int>(100LL * done / total) : 100);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    try {
        std::optional<std::string> made = MakeBoardImage(board, options, step);
        progress.reset();
        if (!made)
            return false;
        bytes = std::move(*made);
        return true;
    } catch (const TrevokError& error) {
        progress.reset();
        showMessage(error.id, error.args, QMessageBox::Critical);
        return false;
    }
}

void MainWindow::imageExport(ImageFormat format)
{
    if (session_)
        session_->abortOperation();
    TBoard* board = project_.currentBoard();
    if (!board)
        return;
    storeLiveState(*board); // the visible layers and the active side as the view shows them
    ImageOptions options = ImageOptions::fromBoard(*board, format);
    options.colours = board_->colourScheme();
    options.drawTemplate = board_->templateDrawer;
    if (format == ImageFormat::Bmp || format == ImageFormat::Gif || format == ImageFormat::Png) {
        const auto kind = format == ImageFormat::Bmp   ? TExportDlg::Kind::Bitmap
                          : format == ImageFormat::Gif ? TExportDlg::Kind::Gif
                                                       : TExportDlg::Kind::Png;
        TExportDlg dialog(board->BoardWidth, board->BoardHeight, kind, this);
        dialog.confirmLarge = [this](const QString& text) {
            return ask(QMessageBox::Warning, QStringLiteral("Trevok"), text,
                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
        if (!runDialog(dialog))
            return;
        options.dpi = dialog.dpi();
        options.mono = format == ImageFormat::Bmp && !dialog.colour();
    } else if (format == ImageFormat::Emf) {
        options.zoom = view_.zoom(); // the picture of the view, without a dialog
    }
    const QString extension = QString::fromLatin1(ImageExtension(format));
    const QString upper = extension.toUpper();
    const QString filter = QStringLiteral("%1 (*.%2)|*.%2")
                               .arg(format == ImageFormat::Bmp ? QStringLiteral("Bitmap") : upper, extension);
    const QString path = askExportName(upper + QStringLiteral(" - Trevok"), lastImagePath_,
                                       currentFolders_.bitmap, QtFileFilter(filter), extension);
    if (path.isEmpty())
        return;
    lastImagePath_ = path;
    std::string bytes;
    if (makeImage(*board, options, bytes))
        writeExport(path, bytes);
    board_->repaintAll();
}

void MainWindow::fabricationSet()
{
    if (session_)
        session_->abortOperation();
    offerFontTextConversion(); // old font texts would be missing from the copper and print
    const TBoard* board = project_.currentBoard();
    if (!board || !checks_->beforeManufacturing())
        return;
    TFabDlg dialog(this);
    // Like the other exports: the folder chosen last, else the project's own folder.
    dialog.setFolder(lastFabFolder_.isEmpty() ? projectFolderOr(currentFolders_.gerber) : lastFabFolder_);
    dialog.setZip(lastFabZip_);
    if (!runDialog(dialog))
        return;
    const QString folder = dialog.folder();
    lastFabFolder_ = folder;
    lastFabZip_ = dialog.zip();
    if (!LocalMakePath(folder)) {
        showMessage(MsgId::WriteError,
                    {DisplayPath(folder).toStdString(),
                     T("Der Ordner kann nicht angelegt werden.", "The folder cannot be made.",
                       "Le répertoire ne peut pas être créé.")
                         .toStdString()},
                    QMessageBox::Critical);
        return;
    }
    // The mask openings are those of the Gerber dialog; the layer names follow the language.
    const GerberOptions gerber = gerberDialog()->options(CurrentLanguage());
    FabJob job;
    job.board = board;
    job.folder = LocalPath(folder);
    job.zip = dialog.zip();
    job.options.padOffsetMm = gerber.padOffsetMm;
    job.options.smdOffsetMm = gerber.smdOffsetMm;
    job.options.language = CurrentLanguage();
    const QString file = PathFromLocal(project_.FileName);
    job.options.baseName =
        FabBaseName(file.isEmpty() ? board->Name : LocalPath(QFileInfo(file).completeBaseName()));
    QProgressDialog progress(T("Fertigungssatz wird geschrieben...", "Writing the fabrication set...",
                               "Écriture du jeu de fabrication..."),
                             QString(), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    try {
        RunFabJob(job);
    } catch (const TrevokError& error) {
        progress.reset();
        showMessage(error.id, error.args, QMessageBox::Critical);
        return;
    }
    progress.reset();
    reportWritten({folder});
    // Without a file manager the user still has to learn where the files are.
    if (!openFolder || !openFolder(folder))
        ask(QMessageBox::Information, T("Fertigungssatz", "Fabrication set", "Jeu de fabrication"),
            T("Der Fertigungssatz wurde in den Ordner %1 geschrieben.",
              "The fabrication set was written to the folder %1.",
              "Le jeu de fabrication a été écrit dans le répertoire %1.")
                .arg(DisplayPath(folder)),
            QMessageBox::Ok);
}

} // namespace trevok
