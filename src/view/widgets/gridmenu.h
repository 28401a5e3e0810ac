#pragma once
// The drop-down menu of the grid button: the built-in and user grids, adding and removing a user
// grid, the grid marking and the grid's visibility.

#include <QMenu>

#include <functional>
#include <optional>

namespace trevok
{

class GridList;
class ViewModel;

class GridMenu : public QMenu
{
    Q_OBJECT
  public:
    GridMenu(ViewModel& view, GridList& grids, QWidget* parent = nullptr);

    /// Asks for the value of a new grid (text in mm with a decimal point), nothing when
    /// cancelled. The window gives it its grid dialog; unset, no grid is added.
    std::function<std::optional<QString>()> askNewGrid;

    /// Builds the entries for the current state: the current grid checked, "remove" enabled only
    /// for a user grid. Called each time the menu opens.
    void rebuild();

    QAction* addGridAction() const noexcept { return add_; }
    QAction* removeGridAction() const noexcept { return remove_; }
    QAction* gridVisibleAction() const noexcept { return visible_; }
    QMenu* markingMenu() const noexcept { return marking_; }
    /// The grid entries, built-in first, in menu order.
    QList<QAction*> gridActions() const { return gridActions_; }

  signals:
    /// A user grid was added or removed.
    void userGridsChanged();

  private:
    void addGrid();
    void removeGrid();

    ViewModel& view_;
    GridList& grids_;
    QObject* holder_;
    QList<QAction*> gridActions_;
    QAction* add_;
    QAction* remove_;
    QMenu* marking_;
    QAction* visible_;
};

} // namespace trevok
