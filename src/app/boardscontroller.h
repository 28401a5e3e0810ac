#pragma once
// The boards of the project as the editor offers them: the tabs, a new board, its properties,
// deleting one, and moving one along the tabs.

namespace trevok
{

class Shell;
class TProject;
class ViewModel;
class WindowViews;

class BoardsController
{
  public:
    BoardsController(TProject& project, ViewModel& view, Shell& shell, WindowViews& views)
        : project_(project), view_(view), shell_(shell), views_(views)
    {
    }

    /// Makes the board of a tab current; the tabs follow again when index is out of range or
    /// already current.
    void show(int index);
    /// "Platine einrichten": the properties dialog for the current board; true on OK.
    bool properties();
    void add();
    /// The question first; a board that may not go is told why.
    void remove();
    void move(bool right, bool toEnd);

  private:
    TProject& project_;
    ViewModel& view_;
    Shell& shell_;
    WindowViews& views_;
};

} // namespace trevok
