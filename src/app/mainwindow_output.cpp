// The output commands of the window (the design check so far), handed to their controllers.

#include "app/mainwindow.h"

#include "app/checkscontroller.h"

namespace trevok
{

void MainWindow::designCheck()
{
    checks_->showWindow();
}

} // namespace trevok
