// The "Fräsdateien" commands: isolation milling with its progress window, the board contour
// file, and the contours and problem markers over the board.
#include "app/mainwindow.h"

#include "app/maintexts.h"
#include "dialogs/gcodedlg.h"
#include "dialogs/konturfraesendlg.h"
#include "dialogs/umrissdlg.h"
#include "dialogs/umrissprogress.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "output/millingjob.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

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

QString MainWindow::askMillingFile(const QString& caption, const QString& filter, const QString& suffix)
{
    // The folder used last, else the project's; the board's name.
    const QString start = exportSuggestion({}, currentFolders_.plt, suffix.mid(1));
    const QString folder =
        LocalIsDir(lastHpglFolder_) ? QDir(lastHpglFolder_).filePath(QFileInfo(start).fileName()) : start;
    QString path = askFileName(true, caption, folder, filter);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += suffix;
    lastHpglFolder_ = QFileInfo(path).absolutePath();
    return path;
}

QString MainWindow::askHpglFile(const QString& caption)
{
    return askMillingFile(caption, QStringLiteral("HPGL (*.plt)"), QStringLiteral(".PLT"));
}

bool MainWindow::writeMillingFile(const QString& path, const std::string& bytes)
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

bool MainWindow::writeMillingFiles(const QString& path, const MillingJobResult& result)
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

std::optional<MillingJobResult> MainWindow::runMillingJob(const MillingJob& job)
{
    board_->clearMillingOverlay();
    std::optional<MillingJobResult> result;
    try {
        TUmrissProgress progress(this);
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
    board_->setMillingOverlay(result->isolation.contours, places, result->isolation.passes);
    return result;
}

void MainWindow::warnIsolationProblems(const TBoard& board, const IsolationResult& result)
{
    // Joins made only through the ground plane are listed after the places the mill cannot pass.
    std::vector<IsolationProblem> all = result.problems;
    all.insert(all.end(), result.planeJoins.begin(), result.planeJoins.end());
    if (all.empty())
        return;
    const std::string text = IsolationProblemsText(all, board.Origin, CurrentLanguage());
    ask(QMessageBox::Warning, CaptionQ(MsgId::MillProblems), QString::fromStdString(text), QMessageBox::Ok);
}

void MainWindow::isolationMilling()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return;
    board_->clearMillingOverlay();
    if (!umrissDlg_) {
        umrissDlg_ = new TUmrissDlg(this);
        RestoreDialogValues(*umrissDlg_, settings_.millingDialogs);
    }
    const ColourScheme& colours = board_->colourScheme();
    umrissDlg_->prepare(*board, colours.qcolor(2), colours.qcolor(4));
    if (!runDialog(*umrissDlg_))
        return;
    SaveDialogValues(*umrissDlg_, settings_.millingDialogs);
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

void MainWindow::gcodeMilling()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return;
    board_->clearMillingOverlay();
    if (!gcodeDlg_) {
        gcodeDlg_ = new TGcodeDlg(this);
        RestoreDialogValues(*gcodeDlg_, settings_.millingDialogs);
    }
    if (!runDialog(*gcodeDlg_))
        return;
    SaveDialogValues(*gcodeDlg_, settings_.millingDialogs);
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

void MainWindow::outlineMilling()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return;
    const bool any = std::any_of(board->Elements.begin(), board->Elements.end(),
                                 [](const auto& e) { return IsOutlineElement(*e, 0, true); });
    if (!any) {
        showMessage(MsgId::OutlineNothingSelected, {}, QMessageBox::Warning);
        return;
    }
    if (!umrissDlg_) {
        umrissDlg_ = new TUmrissDlg(this);
        RestoreDialogValues(*umrissDlg_, settings_.millingDialogs);
    }
    if (!konturDlg_) {
        konturDlg_ = new TKonturFraesenDlg(this);
        RestoreDialogValues(*konturDlg_, settings_.millingDialogs);
    }
    konturDlg_->corners()->setCorners(umrissDlg_->corners()->corners());
    if (!runDialog(*konturDlg_))
        return;
    umrissDlg_->corners()->setCorners(konturDlg_->corners()->corners());
    SaveDialogValues(*konturDlg_, settings_.millingDialogs);
    SaveDialogValues(*umrissDlg_, settings_.millingDialogs);
    const QString path = askHpglFile(MainText("PlatinenkonturHPGLplt1").remove(QLatin1Char('&')));
    if (path.isEmpty())
        return;
    WaitCursor wait;
    if (writeMillingFile(path, OutlineHpgl(*board, 0, true, konturDlg_->hpglOptions(CurrentLanguage()))))
        reportWritten({path});
}

} // namespace trevok
