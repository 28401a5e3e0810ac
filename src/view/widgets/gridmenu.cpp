#include "view/widgets/gridmenu.h"

#include "view/gridlist.h"
#include "view/texts.h"
#include "view/viewmodel.h"

#include <QActionGroup>

namespace trevok
{

GridMenu::GridMenu(ViewModel& view, GridList& grids, QWidget* parent)
    : QMenu(parent), view_(view), grids_(grids)
{
    setObjectName(QStringLiteral("RasterPopup"));

    // clear() deletes the actions whose parent is the menu, and removing an action cuts every
    // connection from it to the menu; so the actions and their connections belong to a holder.
    holder_ = new QObject(this);
    add_ = new QAction(T("Neues Raster hinzufügen...", "Add new grid...", "Ajouter une grille..."), holder_);
    add_->setObjectName(QStringLiteral("R_Hinzufuegen"));
    remove_ = new QAction(
        T("Akuelles Raster entfernen", "Remove current grid", "Supprimer la grille actuelle"), holder_);
    remove_->setObjectName(QStringLiteral("R_Entfernen"));
    connect(add_, &QAction::triggered, holder_, [this] { addGrid(); });
    connect(remove_, &QAction::triggered, holder_, [this] { removeGrid(); });

    marking_ = new QMenu(T("Rastermarkierung", "Grid marking", "Marquage de la grille"), this);
    marking_->setObjectName(QStringLiteral("Rastermarkierung1"));
    auto* markingGroup = new QActionGroup(marking_);
    for (const int m : {0, 2, 4, 5, 10}) {
        QAction* a = marking_->addAction(m == 0 ? T("Aus", "Off", "Aucun") : QString::number(m));
        if (m == 0)
            a->setObjectName(QStringLiteral("RM_Aus"));
        a->setCheckable(true);
        a->setData(m);
        markingGroup->addAction(a);
        connect(a, &QAction::triggered, holder_, [this, m] { view_.setGridMarking(m); });
    }
    visible_ = new QAction(T("Raster sichtbar", "Grid visible", "Grille visible"), holder_);
    visible_->setObjectName(QStringLiteral("Rastersichtbar1"));
    visible_->setCheckable(true);
    connect(visible_, &QAction::triggered, holder_, [this](bool on) { view_.setGridVisible(on); });

    connect(this, &QMenu::aboutToShow, this, &GridMenu::rebuild);
    rebuild();
}

void GridMenu::rebuild()
{
    clear();
    for (QAction* a : gridActions_)
        a->deleteLater();
    gridActions_.clear();

    const double current = view_.grid();
    // One entry is checked: a user entry of the same value as a built-in one is the one that
    // "Remove current grid" acts on, so it wins.
    const GridEntry* checked = nullptr;
    for (const GridEntry& e : grids_.builtIn())
        if (GridList::isCurrent(e, current))
            checked = &e;
    for (const GridEntry& e : grids_.userGrids())
        if (GridList::isCurrent(e, current))
            checked = &e;
    const auto addEntry = [&](const GridEntry& e) {
        auto* a = new QAction(e.Caption, holder_);
        addAction(a);
        a->setCheckable(true);
        a->setChecked(&e == checked);
        a->setData(e.grid());
        const double g = e.grid();
        connect(a, &QAction::triggered, holder_, [this, g] { view_.setGrid(g); });
        gridActions_.push_back(a);
    };
    for (const GridEntry& e : grids_.builtIn())
        addEntry(e);
    addSeparator();
    for (const GridEntry& e : grids_.userGrids())
        addEntry(e);
    addAction(add_);
    addAction(remove_);
    remove_->setEnabled(grids_.isUserGrid(current));
    addSeparator();
    addMenu(marking_);
    for (QAction* a : marking_->actions())
        a->setChecked(a->data().toInt() == view_.gridMarking());
    addAction(visible_);
    visible_->setChecked(view_.gridVisible());
}

void GridMenu::addGrid()
{
    if (!askNewGrid)
        return;
    const std::optional<QString> text = askNewGrid();
    if (!text)
        return;
    const std::size_t before = grids_.userGrids().size();
    if (const std::optional<double> grid = grids_.addUserGrid(*text)) {
        view_.setGrid(*grid);
        if (grids_.userGrids().size() != before)
            emit userGridsChanged();
    }
}

void GridMenu::removeGrid()
{
    // The grid itself stays as it is; only the entry goes.
    if (grids_.removeUserGrid(view_.grid()))
        emit userGridsChanged();
}

} // namespace trevok
