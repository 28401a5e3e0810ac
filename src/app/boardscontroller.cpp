#include "app/boardscontroller.h"

#include "app/shell.h"
#include "dialogs/lgroesse.h"
#include "document/project.h"
#include "view/texts.h"
#include "view/viewmodel.h"

namespace trevok
{

void BoardsController::show(int index)
{
    if (index < 0 || index >= static_cast<int>(project_.Boards.size()) || index == project_.Current) {
        views_.boardsChanged();
        return;
    }
    views_.abortOperation();
    views_.setPaintingSuspended(true);
    ShowBoard(project_, index);
    views_.setPaintingSuspended(false);
    views_.boardsChanged();
    views_.boardSwitched();
    views_.commandsChanged();
}

bool BoardsController::properties()
{
    TBoard* board = project_.currentBoard();
    if (!board)
        return false;
    TL_Groesse dialog(views_.dialogParent());
    dialog.setBoard(*board);
    if (!shell_.runDialog(dialog))
        return false;
    dialog.applyTo(project_);
    view_.setBoardSize(board->BoardWidth, board->BoardHeight);
    views_.boardsChanged();
    views_.boardSwitched();
    views_.commandsChanged();
    return true;
}

void BoardsController::add()
{
    views_.abortOperation();
    AddBoard(project_, CurrentLanguage());
    views_.boardsChanged();
    views_.boardSwitched();
    properties();
    views_.commandsChanged();
}

void BoardsController::remove()
{
    try {
        checkBoardDeletable(project_);
    } catch (const TrevokError& error) {
        ShowMessage(shell_, error.id, error.args, QMessageBox::Information);
        return;
    }
    const TBoard* board = project_.currentBoard();
    const std::vector<std::string> args{board->Name};
    if (Ask(shell_, QMessageBox::Question, CaptionQ(MsgId::DeleteBoardQuestion),
            MessageQ(MsgId::DeleteBoardQuestion, args),
            QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    views_.abortOperation();
    views_.detachView();
    views_.setPaintingSuspended(true);
    RemoveBoard(project_, project_.Current);
    views_.setPaintingSuspended(false);
    views_.boardsChanged();
    views_.boardSwitched();
    views_.commandsChanged();
}

void BoardsController::move(bool right, bool toEnd)
{
    views_.abortOperation();
    const bool moved = right ? (toEnd ? moveBoardToEnd(project_) : moveBoardRight(project_))
                             : (toEnd ? moveBoardToStart(project_) : moveBoardLeft(project_));
    if (!moved)
        return;
    views_.boardsChanged();
    views_.commandsChanged();
}

} // namespace trevok
