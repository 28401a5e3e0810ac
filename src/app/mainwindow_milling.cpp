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
#include "output/millpasses.h"
#include "routing/nettrace.h"
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
    const QString folder = LocalIsDir(lastHpglFolder_)
                               ? QDir(lastHpglFolder_).filePath(QFileInfo(start).fileName())
                               : start;
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

bool MainWindow::writeMillingFiles(const QString& path, const std::string& bytes,
                                   const std::vector<SideFile>& side)
{
    WaitCursor wait;
    try {
        WriteWithSideFiles(LocalPath(path), bytes, side);
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
        return false;
    }
    const QDir folder = QFileInfo(path).dir();
    QStringList written{path};
    for (const SideFile& f : side)
        written << folder.filePath(PathFromLocal(f.name));
    reportWritten(written);
    return true;
}

std::optional<IsolationResult> MainWindow::computeMillingContours(const TBoard& board, const MillingOptions& m,
                                                                  const PassOptions& passes)
{
    board_->clearMillingOverlay();
    if (!LayerHasElements(board.Elements, m.layer)) {
        showMessage(MsgId::MillLayerEmpty, {}, QMessageBox::Warning);
        return std::nullopt;
    }
    IsolationResult result;
    if (LayerHasContourElements(board.Elements, m)) {
        // Pieces joined only through a ground plane are one net: the mill need not part them, but
        // the plane is not milled, so such joins are listed as a warning.
        const std::vector<int> nets = NetOfEachElement(board);
        TUmrissProgress progress(this);
        auto r = progress.run(board.Elements, m, &nets, passes, BoardRectangle(board.BoardWidth, board.BoardHeight));
        if (!r)
            return std::nullopt; // cancelled: no contours, no file
        result = std::move(*r);
    }
    std::vector<TPoint> places;
    for (const IsolationProblem& p : result.problems)
        places.push_back(p.at);
    for (const IsolationProblem& p : result.planeJoins)
        places.push_back(p.at);
    board_->setMillingOverlay(result.contours, places, result.passes);
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
    const MillingOptions m = umrissDlg_->millingOptions();
    const HpglOptions o = umrissDlg_->hpglOptions(CurrentLanguage());
    const auto result = computeMillingContours(*board, m, umrissDlg_->passOptions());
    if (!result)
        return;
    const QString path = askHpglFile(MainText("UmrissHPGLplt1").remove(QLatin1Char('&')));
    if (!path.isEmpty())
        writeMillingFiles(path, IsolationHpgl(*board, result->contours, result->passes, m, o), DrillHpgl(*board, m.layer, o));
    warnIsolationProblems(*board, *result);
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
    const MillingOptions m = gcodeDlg_->millingOptions();
    const GcodeOptions o = gcodeDlg_->gcodeOptions(CurrentLanguage());
    // Checked before the long computation, as a missing outline writes nothing.
    GcodeStats stats;
    auto side = GcodeSideFiles(*board, m.layer, o, &stats);
    if (!side) {
        showMessage(MsgId::OutlineNothingSelected, {}, QMessageBox::Warning);
        return;
    }
    const auto result = computeMillingContours(*board, m, gcodeDlg_->passOptions());
    if (!result)
        return;
    const QString path =
        askMillingFile(MainText("GCode1").remove(QLatin1Char('&')).remove(QStringLiteral("...")),
                       QStringLiteral("G-Code (*.nc)"), QStringLiteral(".NC"));
    if (!path.isEmpty()) {
        const std::string bytes = IsolationGcode(*board, result->contours, result->passes, m, o, &stats);
        if (writeMillingFiles(path, bytes, *side)) {
            // The job's figures: shown now, and in the dialog the next time it opens.
            gcodeDlg_->setJobFigures(stats);
            ask(QMessageBox::Information, gcodeDlg_->windowTitle(), TGcodeDlg::JobFiguresText(stats),
                QMessageBox::Ok);
        }
    }
    warnIsolationProblems(*board, *result);
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
