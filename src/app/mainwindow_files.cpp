// The main window's file and board commands, handed to their controllers, and the edge every
// command runs inside.

#include "app/mainwindow.h"

#include "app/boardscontroller.h"
#include "app/filescontroller.h"
#include "document/undo.h"
#include "edit/session.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QTabBar>

namespace trevok
{

// ---------------------------------------------------------------------------------------------
// The edge of every command: running out of memory, or any other failure a command throws

bool MainWindow::guardCommand(const std::function<void()>& command)
{
    UndoTransaction transaction(project_);
    // Puts the project back as it was. After running out of memory this frees what the command
    // was building before anything else needs memory; putting things back may itself run out or
    // fail, and the message comes all the same.
    const auto restore = [&]() noexcept {
        try {
            if (session_)
                session_->abortOperation();
            const bool appended = transaction.appendedBoards();
            if (appended) {
                view_.detachBoard();
                board_->setPaintingSuspended(true);
            }
            transaction.rollback();
            if (appended)
                board_->setPaintingSuspended(false);
            if (project_.Boards.empty()) {
                // Open had closed the project with the user's word before the failure.
                files_->forgetFile();
                startNewProject(project_, CurrentLanguage());
                updateTitle();
            }
            syncTabs();
            board_->boardSwitched();
            updateCommandStates();
        } catch (...) {
        }
    };
    try {
        command();
        transaction.commit();
        return true;
    } catch (const std::bad_alloc&) {
        restore();
        showMessage(MsgId::OutOfMemory, {}, QMessageBox::Critical);
    } catch (const TrevokError& e) {
        restore();
        showMessage(e.id, e.args, QMessageBox::Critical);
    } catch (const std::exception& e) {
        restore();
        showMessage(MsgId::CommandFailed, {e.what()}, QMessageBox::Critical);
    } catch (...) {
        restore();
        showMessage(MsgId::CommandFailed, {"?"}, QMessageBox::Critical);
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Files

bool MainWindow::CloseProject()
{
    return files_->closeProject();
}

void MainWindow::fileNew()
{
    files_->fileNew();
}

void MainWindow::fileOpen()
{
    files_->fileOpen();
}

bool MainWindow::openLayout(const QString& path)
{
    return files_->openLayout(path);
}

void MainWindow::reloadBoards()
{
    files_->reloadBoards();
}

bool MainWindow::fileSave()
{
    return files_->fileSave();
}

bool MainWindow::fileSaveAs()
{
    return files_->fileSaveAs();
}

void MainWindow::openStartFile(const QString& path)
{
    files_->openStartFile(path);
}

void MainWindow::openRecent(int index)
{
    files_->openRecent(index);
}

void MainWindow::autoSaveDialog()
{
    files_->autoSaveDialog();
}

void MainWindow::workingFoldersDialog()
{
    files_->workingFoldersDialog();
}

void MainWindow::offerFontTextConversion()
{
    files_->offerFontTextConversion();
}

// ---------------------------------------------------------------------------------------------
// Boards

void MainWindow::showBoard(int index)
{
    boards_->show(index);
}

bool MainWindow::boardProperties()
{
    return boards_->properties();
}

void MainWindow::addBoard()
{
    boards_->add();
}

void MainWindow::deleteBoard()
{
    boards_->remove();
}

void MainWindow::moveBoard(bool right, bool toEnd)
{
    boards_->move(right, toEnd);
}

// ---------------------------------------------------------------------------------------------
// What the controllers ask of the window

void MainWindow::abortOperation()
{
    if (session_)
        session_->abortOperation();
}

void MainWindow::setPaintingSuspended(bool suspended)
{
    board_->setPaintingSuspended(suspended);
}

void MainWindow::detachView()
{
    view_.detachBoard();
}

void MainWindow::boardSwitched()
{
    board_->boardSwitched();
}

} // namespace trevok
