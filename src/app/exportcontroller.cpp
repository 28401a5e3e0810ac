#include "app/exportcontroller.h"

#include "app/checkscontroller.h"
#include "app/filescontroller.h"
#include "app/maintexts.h"
#include "app/settings.h"
#include "app/shell.h"
#include "dialogs/cp1252validator.h"
#include "dialogs/exportdlg.h"
#include "dialogs/fabdlg.h"
#include "dialogs/gcodedlg.h"
#include "dialogs/gerberdlg.h"
#include "dialogs/konturfraesendlg.h"
#include "dialogs/lochdlg.h"
#include "dialogs/printdlg.h"
#include "dialogs/umrissdlg.h"
#include "dialogs/umrissprogress.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "edit/session.h"
#include "output/fabset.h"
#include "output/millingjob.h"
#include "print/printjob.h"
#include "view/texts.h"
#include "view/viewmodel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace trevok
{

namespace
{

/// Sets the wait cursor for the lifetime of the object.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

ExportController::ExportController(const Parts& parts, FilesController& files, ChecksController& checks,
                                   Shell& shell, WindowViews& views)
    : p_(parts), files_(files), checks_(checks), shell_(shell), views_(views)
{
}

ExportController::~ExportController() = default;

void ExportController::showMessage(MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon)
{
    ShowMessage(shell_, id, args, icon);
}

QMessageBox::StandardButton ExportController::ask(QMessageBox::Icon icon, const QString& caption,
                                                  const QString& text, QMessageBox::StandardButtons buttons)
{
    return Ask(shell_, icon, caption, text, buttons);
}

TGerberDlg* ExportController::gerberDialog()
{
    if (!gerberDlg_)
        gerberDlg_ = new TGerberDlg(views_.dialogParent());
    return gerberDlg_;
}

TLochDlg* ExportController::drillDialog()
{
    if (!drillDlg_)
        drillDlg_ = new TLochDlg(views_.dialogParent());
    return drillDlg_;
}

QString ExportController::projectFolderOr(const QString& fallback) const
{
    const QString file = PathFromLocal(p_.project.FileName);
    return file.isEmpty() ? fallback : QFileInfo(file).absolutePath();
}

QString ExportController::exportSuggestion(const QString& last, const QString& folder,
                                           const QString& extension) const
{
    if (!last.isEmpty()) {
        const QFileInfo chosen(last);
        return chosen.absolutePath() + QLatin1Char('/') + chosen.completeBaseName() + QLatin1Char('.') +
               extension;
    }
    const QString start = projectFolderOr(folder);
    QString name;
    if (const TBoard* board = p_.project.currentBoard())
        name = fromCp1252(board->Name).trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("board") + name;
    return QDir(start).filePath(name + QLatin1Char('.') + extension);
}

void ExportController::reportWritten(const QStringList& paths)
{
    QStringList shown;
    for (const QString& p : paths)
        shown << DisplayPath(p);
    views_.showHint(T("Geschrieben: %1", "Written: %1", "Écrit : %1").arg(shown.join(QStringLiteral(", "))));
}

QString ExportController::askExportName(const QString& caption, const QString& last, const QString& folder,
                                        const QString& filter, const QString& extension)
{
    QString path = shell_.askFileName(true, caption, exportSuggestion(last, folder, extension), filter);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    return path;
}

bool ExportController::writeExport(const QString& path, const std::string& bytes)
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

void ExportController::gerber()
{
    views_.abortOperation();
    // Old font texts are not plotted; they are offered for conversion first.
    files_.offerFontTextConversion();
    if (!checks_.beforeManufacturing())
        return;
    TGerberDlg* dialog = gerberDialog();
    dialog->setLayerColours(views_.colourScheme());
    if (!shell_.runDialog(*dialog))
        return;
    const TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    const QString path =
        askExportName(dialog->windowTitle(), lastGerberPath_, p_.folders.gerber,
                      QtFileFilter(QStringLiteral("Gerber-274X (*.gbr)|*.gbr")), QStringLiteral("gbr"));
    if (path.isEmpty())
        return;
    lastGerberPath_ = path;
    writeExport(path, PlotteGerberfile(*board, dialog->options(CurrentLanguage())));
}

void ExportController::drill()
{
    views_.abortOperation();
    TLochDlg* dialog = drillDialog();
    if (!shell_.runDialog(*dialog))
        return;
    const TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    const QString path =
        askExportName(dialog->windowTitle(), lastDrillPath_, p_.folders.gerber,
                      QtFileFilter(MainText("SaveDrillDlg", TextKind::Filter)), QStringLiteral("drl"));
    if (path.isEmpty())
        return;
    lastDrillPath_ = path;
    writeExport(path, WriteExcellon(*board, dialog->options()));
}

bool ExportController::makeImage(TBoard& board, const ImageOptions& options, std::string& bytes)
{
    QProgressDialog progress(T("Bild wird erstellt...", "Making the image...", "Création de l´image..."),
                             T("&Abbrechen", "&Cancel", "&Annuler"), 0, 100, views_.dialogParent());
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

void ExportController::image(ImageFormat format)
{
    views_.abortOperation();
    TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    // The visible layers and the active side as the view shows them, in the window's colours.
    ImageOptions options = views_.viewImageOptions(*board, format);
    if (format == ImageFormat::Bmp || format == ImageFormat::Gif || format == ImageFormat::Png) {
        const auto kind = format == ImageFormat::Bmp   ? TExportDlg::Kind::Bitmap
                          : format == ImageFormat::Gif ? TExportDlg::Kind::Gif
                                                       : TExportDlg::Kind::Png;
        TExportDlg dialog(board->BoardWidth, board->BoardHeight, kind, views_.dialogParent());
        dialog.confirmLarge = [this](const QString& text) {
            return ask(QMessageBox::Warning, QStringLiteral("Trevok"), text,
                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
        if (!shell_.runDialog(dialog))
            return;
        options.dpi = dialog.dpi();
        options.mono = format == ImageFormat::Bmp && !dialog.colour();
    } else if (format == ImageFormat::Emf) {
        options.zoom = p_.view.zoom(); // the picture of the view, without a dialog
    }
    const QString extension = QString::fromLatin1(ImageExtension(format));
    const QString upper = extension.toUpper();
    const QString filter = QStringLiteral("%1 (*.%2)|*.%2")
                               .arg(format == ImageFormat::Bmp ? QStringLiteral("Bitmap") : upper, extension);
    const QString path = askExportName(upper + QStringLiteral(" - Trevok"), lastImagePath_, p_.folders.bitmap,
                                       QtFileFilter(filter), extension);
    if (path.isEmpty())
        return;
    lastImagePath_ = path;
    std::string bytes;
    if (makeImage(*board, options, bytes))
        writeExport(path, bytes);
    views_.repaintBoard();
}

void ExportController::fabricationSet()
{
    views_.abortOperation();
    files_.offerFontTextConversion(); // old font texts would be missing from the copper and print
    const TBoard* board = p_.project.currentBoard();
    if (!board || !checks_.beforeManufacturing())
        return;
    TFabDlg dialog(views_.dialogParent());
    // Like the other exports: the folder chosen last, else the project's own folder.
    dialog.setFolder(lastFabFolder_.isEmpty() ? projectFolderOr(p_.folders.gerber) : lastFabFolder_);
    dialog.setZip(lastFabZip_);
    if (!shell_.runDialog(dialog))
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
    const QString file = PathFromLocal(p_.project.FileName);
    job.options.baseName =
        FabBaseName(file.isEmpty() ? board->Name : LocalPath(QFileInfo(file).completeBaseName()));
    QProgressDialog progress(T("Fertigungssatz wird geschrieben...", "Writing the fabrication set...",
                               "Écriture du jeu de fabrication..."),
                             QString(), 0, 0, views_.dialogParent());
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
    if (!shell_.openFolder(folder))
        ask(QMessageBox::Information, T("Fertigungssatz", "Fabrication set", "Jeu de fabrication"),
            T("Der Fertigungssatz wurde in den Ordner %1 geschrieben.",
              "The fabrication set was written to the folder %1.",
              "Le jeu de fabrication a été écrit dans le répertoire %1.")
                .arg(DisplayPath(folder)),
            QMessageBox::Ok);
}

QString ExportController::askMillingFile(const QString& caption, const QString& filter, const QString& suffix)
{
    // The folder used last, else the project's; the board's name.
    const QString start = exportSuggestion({}, p_.folders.plt, suffix.mid(1));
    const QString folder =
        LocalIsDir(lastHpglFolder_) ? QDir(lastHpglFolder_).filePath(QFileInfo(start).fileName()) : start;
    QString path = shell_.askFileName(true, caption, folder, filter);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += suffix;
    lastHpglFolder_ = QFileInfo(path).absolutePath();
    return path;
}

QString ExportController::askHpglFile(const QString& caption)
{
    return askMillingFile(caption, QStringLiteral("HPGL (*.plt)"), QStringLiteral(".PLT"));
}

bool ExportController::writeMillingFile(const QString& path, const std::string& bytes)
{
    try {
        WriteFileAtomically(LocalPath(path),
                            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        return true;
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
        return false;
    }
}

bool ExportController::writeMillingFiles(const QString& path, const MillingJobResult& result)
{
    WaitCursor wait;
    std::vector<std::string> written;
    try {
        written = WriteMillingFiles(result, LocalPath(path));
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
        return false;
    }
    QStringList shown;
    for (const std::string& f : written)
        shown << PathFromLocal(f);
    reportWritten(shown);
    return true;
}

std::optional<MillingJobResult> ExportController::runMillingJob(const MillingJob& job)
{
    views_.clearMarkers();
    std::optional<MillingJobResult> result;
    try {
        TUmrissProgress progress(views_.dialogParent());
        result = progress.run(job);
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
        return std::nullopt;
    }
    if (!result)
        return std::nullopt; // cancelled: no contours, no file
    std::vector<TPoint> places;
    for (const IsolationProblem& p : result->isolation.problems)
        places.push_back(p.at);
    for (const IsolationProblem& p : result->isolation.planeJoins)
        places.push_back(p.at);
    views_.showMarkers(result->isolation.contours, places, result->isolation.passes);
    return result;
}

void ExportController::warnIsolationProblems(const TBoard& board, const IsolationResult& result)
{
    // Joins made only through the ground plane are listed after the places the mill cannot pass.
    std::vector<IsolationProblem> all = result.problems;
    all.insert(all.end(), result.planeJoins.begin(), result.planeJoins.end());
    if (all.empty())
        return;
    const std::string text = IsolationProblemsText(all, board.Origin, CurrentLanguage());
    ask(QMessageBox::Warning, CaptionQ(MsgId::MillProblems), QString::fromStdString(text), QMessageBox::Ok);
}

void ExportController::isolationMilling()
{
    TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    views_.clearMarkers();
    if (!umrissDlg_) {
        umrissDlg_ = new TUmrissDlg(views_.dialogParent());
        RestoreDialogValues(*umrissDlg_, p_.settings.millingDialogs);
    }
    const ColourScheme& colours = views_.colourScheme();
    umrissDlg_->prepare(*board, colours.qcolor(2), colours.qcolor(4));
    if (!shell_.runDialog(*umrissDlg_))
        return;
    SaveDialogValues(*umrissDlg_, p_.settings.millingDialogs);
    MillingJob job;
    job.board = board;
    job.format = MillingFormat::Hpgl;
    job.milling = umrissDlg_->millingOptions();
    job.passes = umrissDlg_->passOptions();
    job.hpgl = umrissDlg_->hpglOptions(CurrentLanguage());
    const auto result = runMillingJob(job);
    if (!result)
        return;
    const QString path = askHpglFile(MainText("UmrissHPGLplt1").remove(QLatin1Char('&')));
    if (!path.isEmpty())
        writeMillingFiles(path, *result);
    warnIsolationProblems(*board, result->isolation);
}

void ExportController::gcodeMilling()
{
    TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    views_.clearMarkers();
    if (!gcodeDlg_) {
        gcodeDlg_ = new TGcodeDlg(views_.dialogParent());
        RestoreDialogValues(*gcodeDlg_, p_.settings.millingDialogs);
    }
    if (!shell_.runDialog(*gcodeDlg_))
        return;
    SaveDialogValues(*gcodeDlg_, p_.settings.millingDialogs);
    MillingJob job;
    job.board = board;
    job.format = MillingFormat::Gcode;
    job.milling = gcodeDlg_->millingOptions();
    job.passes = gcodeDlg_->passOptions();
    job.gcode = gcodeDlg_->gcodeOptions(CurrentLanguage());
    const auto result = runMillingJob(job);
    if (!result)
        return;
    const QString path =
        askMillingFile(MainText("GCode1").remove(QLatin1Char('&')).remove(QStringLiteral("...")),
                       QStringLiteral("G-Code (*.nc)"), QStringLiteral(".NC"));
    if (!path.isEmpty() && writeMillingFiles(path, *result)) {
        // The job's figures: shown now, and in the dialog the next time it opens.
        gcodeDlg_->setJobFigures(result->stats);
        ask(QMessageBox::Information, gcodeDlg_->windowTitle(), TGcodeDlg::JobFiguresText(result->stats),
            QMessageBox::Ok);
    }
    warnIsolationProblems(*board, result->isolation);
}

void ExportController::outlineMilling()
{
    TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    const bool any = std::any_of(board->Elements.begin(), board->Elements.end(),
                                 [](const auto& e) { return IsOutlineElement(*e, 0, true); });
    if (!any) {
        showMessage(MsgId::OutlineNothingSelected, {}, QMessageBox::Warning);
        return;
    }
    if (!umrissDlg_) {
        umrissDlg_ = new TUmrissDlg(views_.dialogParent());
        RestoreDialogValues(*umrissDlg_, p_.settings.millingDialogs);
    }
    if (!konturDlg_) {
        konturDlg_ = new TKonturFraesenDlg(views_.dialogParent());
        RestoreDialogValues(*konturDlg_, p_.settings.millingDialogs);
    }
    konturDlg_->corners()->setCorners(umrissDlg_->corners()->corners());
    if (!shell_.runDialog(*konturDlg_))
        return;
    umrissDlg_->corners()->setCorners(konturDlg_->corners()->corners());
    SaveDialogValues(*konturDlg_, p_.settings.millingDialogs);
    SaveDialogValues(*umrissDlg_, p_.settings.millingDialogs);
    const QString path = askHpglFile(MainText("PlatinenkonturHPGLplt1").remove(QLatin1Char('&')));
    if (path.isEmpty())
        return;
    WaitCursor wait;
    if (writeMillingFile(path, OutlineHpgl(*board, 0, true, konturDlg_->hpglOptions(CurrentLanguage()))))
        reportWritten({path});
}

QPrinter& ExportController::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // A printer counts only when the system has one; Qt's own PDF output always works.
        printerUsable_ = !QPrinterInfo::availablePrinterNames().isEmpty() &&
                         !printer_->printerName().isEmpty() &&
                         printer_->outputFormat() == QPrinter::NativeFormat;
        if (!printerUsable_) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
            printer_->setFullPage(true);
            printer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        }
    }
    return *printer_;
}

TPrint_Dlg* ExportController::printDialog()
{
    if (!printDlg_)
        printDlg_ = new TPrint_Dlg(views_.dialogParent());
    return printDlg_;
}

void ExportController::printerSetup()
{
    QPageSetupDialog dialog(&printer(), views_.dialogParent());
    shell_.runDialog(dialog);
}

void ExportController::print()
{
    TBoard* board = p_.project.currentBoard();
    if (!board)
        return;
    p_.session.SetTool(ToolStandard);
    QPrinter& p = printer();
    TPrint_Dlg* dlg = printDialog();
    const auto templates = views_.printTemplates();
    dlg->prepare(board, templates, &p, printerUsable_);
    dlg->setWindowState(dlg->windowState() | Qt::WindowMaximized);
    if (!shell_.runDialog(*dlg))
        return;
    views_.repaintBoard(); // the drawing marked elements while it printed

    if (printerUsable_) {
        if (!PrintSheetOn(p, *board, dlg->settings(), templates))
            ask(QMessageBox::Warning, QStringLiteral("Trevok"),
                T("Der Drucker konnte nicht angesprochen werden.", "The printer could not be started.",
                  "L´imprimante n´a pas pu être démarrée."),
                QMessageBox::Ok);
        return;
    }
    QString suggestion = PathFromLocal(p_.project.FileName);
    suggestion = suggestion.isEmpty() ? exportSuggestion({}, p_.folders.layout, QStringLiteral("pdf"))
                                      : QFileInfo(suggestion).path() + QLatin1Char('/') +
                                            QFileInfo(suggestion).completeBaseName() + QStringLiteral(".pdf");
    QString path =
        shell_.askFileName(true, TPrint_Dlg::pdfCaption(), suggestion, QStringLiteral("PDF (*.pdf *.PDF)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    PrintJob job;
    job.board = board;
    job.settings = dlg->settings();
    job.templates = templates;
    job.paperMm = PrinterPaper(p).paper;
    job.title = DisplayPath(PathFromLocal(p_.project.FileName));
    job.path = LocalPath(path);
    try {
        RunPrintJob(job);
        reportWritten({path});
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
    }
}

} // namespace trevok
