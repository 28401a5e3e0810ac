// The Export, milling, print and check commands of the window, handed to their controllers, and
// the template pictures under the board, which the view draws and printing puts on paper.

#include "app/mainwindow.h"

#include "app/checkscontroller.h"
#include "app/exportcontroller.h"
#include "dialogs/vorlagedlg.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

namespace trevok
{

void MainWindow::gerberExport()
{
    exports_->gerber();
}

void MainWindow::drillExport()
{
    exports_->drill();
}

void MainWindow::fabricationSet()
{
    exports_->fabricationSet();
}

void MainWindow::isolationMilling()
{
    exports_->isolationMilling();
}

void MainWindow::outlineMilling()
{
    exports_->outlineMilling();
}

void MainWindow::gcodeMilling()
{
    exports_->gcodeMilling();
}

void MainWindow::printBoard()
{
    exports_->print();
}

void MainWindow::printerSetup()
{
    exports_->printerSetup();
}

void MainWindow::imageExport(ImageFormat format)
{
    exports_->image(format);
}

void MainWindow::designCheck()
{
    checks_->showWindow();
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

} // namespace trevok
