// The main window's exports: Gerber and drill files of the current board through their
// long-lived dialogs. The dialogs fill the same option records as the command-line tool, and the
// same functions write the files.

#include "app/mainwindow.h"

#include "app/maintexts.h"
#include "dialogs/gerberdlg.h"
#include "dialogs/lochdlg.h"
#include "document/atomicfile.h"
#include "edit/session.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QString MainWindow::askExportName(const QString& caption, const QString& last, const QString& folder,
                                  const QString& filter, const QString& extension)
{
    QString path = askFileName(true, caption, last.isEmpty() ? folder : last, filter);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    return path;
}

bool MainWindow::writeExport(const QString& path, const std::string& bytes)
{
    try {
        WriteFileAtomically(QFile::encodeName(path).toStdString(),
                            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
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

} // namespace trevok
