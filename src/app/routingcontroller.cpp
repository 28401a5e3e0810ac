#include "app/routingcontroller.h"

#include "app/shell.h"
#include "document/undo.h"
#include "edit/session.h"
#include "routing/connections.h"
#include "view/texts.h"

#include <QApplication>

namespace trevok
{

void RoutingController::clearConnections()
{
    TBoard* b = project_.currentBoard();
    if (!b)
        return;
    session_.abortOperation();
    PushUndo(project_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const RemoveRealisedResult r = RemoveRealisedConnections(*b);
    QApplication::restoreOverrideCursor();
    // Nothing removed leaves nothing to undo.
    if (r.removed == 0)
        DropLastUndo(project_);
    views_.repaintBoard();
    session_.selectionChanged();
    views_.commandsChanged();
    Ask(shell_, QMessageBox::Information, QStringLiteral("Trevok"),
        QString::fromStdString(RemoveRealisedReport(r, CurrentLanguage())), QMessageBox::Ok);
}

} // namespace trevok
