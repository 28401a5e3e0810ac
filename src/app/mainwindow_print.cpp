// The main window's printing commands (the print dialog, the printer's page setup, printing to a
// PDF file when there is no printer) and the template pictures under the board.

#include "app/mainwindow.h"

#include "dialogs/printdlg.h"
#include "dialogs/vorlagedlg.h"
#include "document/filenames.h"
#include "edit/session.h"
#include "print/printjob.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace trevok
{

QPrinter& MainWindow::printer()
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

TPrint_Dlg* MainWindow::printDialog()
{
    if (!printDlg_)
        printDlg_ = new TPrint_Dlg(this);
    return printDlg_;
}

void MainWindow::buildTemplates()
{
    vorlageDlg_ = new TVorlageDlg(this);
    vorlageDlg_->inform = [this](const QString& text) {
        ask(QMessageBox::Warning, QStringLiteral("Trevok"), text, QMessageBox::Ok);
    };
    connect(vorlageDlg_, &TVorlageDlg::changed, this, [this] {
        if (!closing_)
            repaintBoard();
    });
    // Under the layout of the active side, in the view and in every picture made from it.
    board_->templateDrawer = [this](Canvas& canvas, int side, const TRect& area) {
        if (!vorlageDlg_ || side < 1 || side > 2)
            return;
        const TemplateSide& t = vorlageDlg_->side(side - 1);
        if (t.shown && !t.image.isNull())
            t.image.draw(canvas, t.rect(), t.colour, CurrentColours()[ColourBackground], area);
    };
}

std::array<PrintTemplate, 2> MainWindow::printTemplates() const
{
    std::array<PrintTemplate, 2> out;
    if (!vorlageDlg_)
        return out;
    for (int s = 0; s < 2; ++s) {
        const TemplateSide& t = vorlageDlg_->side(s);
        if (!t.image.isNull())
            out[static_cast<std::size_t>(s)] = {&t.image, t.rect()};
    }
    return out;
}

TVorlageDlg* MainWindow::templates() const noexcept
{
    return vorlageDlg_;
}

void MainWindow::templateDialog()
{
    TBoard* board = project_.currentBoard();
    if (!board || !vorlageDlg_)
        return;
    vorlageDlg_->folder = currentFolders_.templates;
    vorlageDlg_->setPage(board->ActiveLayer >= LayerK2 ? 1 : 0);
    runDialog(*vorlageDlg_);
    currentFolders_.templates = vorlageDlg_->folder;
    vorlageDlg_->storeToBoard(*board);
    project_.Modified = true;
    updateTitle();
    repaintBoard();
}

void MainWindow::printerSetup()
{
    QPageSetupDialog dialog(&printer(), this);
    runDialog(dialog);
}

void MainWindow::printBoard()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return;
    if (session_)
        session_->SetTool(ToolStandard);
    QPrinter& p = printer();
    TPrint_Dlg* dlg = printDialog();
    const auto templates = printTemplates();
    dlg->prepare(board, templates, &p, printerUsable_);
    dlg->setWindowState(dlg->windowState() | Qt::WindowMaximized);
    if (!runDialog(*dlg))
        return;
    repaintBoard(); // the drawing marked elements while it printed

    if (printerUsable_) {
        if (!PrintSheetOn(p, *board, dlg->settings(), templates))
            ask(QMessageBox::Warning, QStringLiteral("Trevok"),
                T("Der Drucker konnte nicht angesprochen werden.", "The printer could not be started.",
                  "L´imprimante n´a pas pu être démarrée."),
                QMessageBox::Ok);
        return;
    }
    QString suggestion = PathFromLocal(project_.FileName);
    suggestion = suggestion.isEmpty() ? exportSuggestion({}, layoutFolder(), QStringLiteral("pdf"))
                                      : QFileInfo(suggestion).path() + QLatin1Char('/') +
                                            QFileInfo(suggestion).completeBaseName() + QStringLiteral(".pdf");
    QString path =
        askFileName(true, TPrint_Dlg::pdfCaption(), suggestion, QStringLiteral("PDF (*.pdf *.PDF)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    PrintJob job;
    job.board = board;
    job.settings = dlg->settings();
    job.templates = templates;
    job.paperMm = PrinterPaper(p).paper;
    job.title = DisplayPath(PathFromLocal(project_.FileName));
    job.path = LocalPath(path);
    try {
        RunPrintJob(job);
        reportWritten({path});
    } catch (const TrevokError& e) {
        showMessage(e.id, e.args, QMessageBox::Warning);
    }
}

} // namespace trevok
