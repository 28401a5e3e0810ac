#include "app/routingcontroller.h"

#include "app/settings.h"
#include "app/shell.h"
#include "dialogs/autorouter.h"
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

void RoutingController::showWindow()
{
    if (!window_) {
        window_ = new TAutoRouter(session_.routerSettings(), views_.dialogParent());
        if (settings_.routerWindowPlace)
            window_->setPlace(*settings_.routerWindowPlace);
        // Closing the window gives the tool up.
        QObject::connect(window_, &TAutoRouter::closedByUser, window_, [this] {
            if (session_.tool() == ToolAutoRoute)
                session_.SetTool(ToolStandard);
        });
    }
    window_->showTool();
    views_.setAutorouterActive(true);
}

void RoutingController::hideWindow()
{
    if (window_)
        window_->hide();
}

void RoutingController::setStatus(const QString& text)
{
    if (window_)
        window_->SetStatus(text);
}

void RoutingController::storePlace()
{
    if (window_ && window_->place())
        settings_.routerWindowPlace = window_->place();
}

} // namespace trevok
