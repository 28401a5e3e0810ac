#include "view/widgets/gridmenu.h"

#include "view/gridlist.h"
#include "view/texts.h"
#include "view/viewmodel.h"

#include <QActionGroup>

namespace trevok
{

GridMenu::GridMenu(ViewModel& view, GridList& grids, QWidget* parent)
    : QMenu(parent), mView(view), mGrids(grids)
{
    setObjectName(QStringLiteral("RasterPopup"));

    // clear() deletes the actions whose parent is the menu, and removing an action cuts every
    // connection from it to the menu; so the actions and their connections belong to a holder.
    mHolder = new QObject(this);
    mAdd = new QAction(T("Neues Raster hinzufügen...", "Add new grid...", "Ajouter une grille..."), mHolder);
    mAdd->setObjectName(QStringLiteral("R_Hinzufuegen"));
    mRemove = new QAction(
        T("Akuelles Raster entfernen", "Remove current grid", "Supprimer la grille actuelle"), mHolder);
    mRemove->setObjectName(QStringLiteral("R_Entfernen"));
    connect(mAdd, &QAction::triggered, mHolder, [this] { addGrid(); });
    connect(mRemove, &QAction::triggered, mHolder, [this] { removeGrid(); });

    mMarking = new QMenu(T("Rastermarkierung", "Grid marking", "Marquage de la grille"), this);
    mMarking->setObjectName(QStringLiteral("Rastermarkierung1"));
    auto* markingGroup = new QActionGroup(mMarking);
    for (const int m : {0, 2, 4, 5, 10}) {
        QAction* a = mMarking->addAction(m == 0 ? T("Aus", "Off", "Aucun") : QString::number(m));
        if (m == 0)
            a->setObjectName(QStringLiteral("RM_Aus"));
        a->setCheckable(true);
        a->setData(m);
        markingGroup->addAction(a);
        connect(a, &QAction::triggered, mHolder, [this, m] { mView.setGridMarking(m); });
    }
    mVisible = new QAction(T("Raster sichtbar", "Grid visible", "Grille visible"), mHolder);
    mVisible->setObjectName(QStringLiteral("Rastersichtbar1"));
    mVisible->setCheckable(true);
    connect(mVisible, &QAction::triggered, mHolder, [this](bool on) { mView.setGridVisible(on); });

    connect(this, &QMenu::aboutToShow, this, &GridMenu::rebuild);
    rebuild();
}

void GridMenu::rebuild()
{
    clear();
    for (QAction* a : mGridActions)
        a->deleteLater();
    mGridActions.clear();

    const double current = mView.grid();
    // One entry is checked: a user entry of the same value as a built-in one is the one that
    // "Remove current grid" acts on, so it wins.
    const GridEntry* checked = nullptr;
    for (const GridEntry& e : mGrids.builtIn())
        if (GridList::isCurrent(e, current))
            checked = &e;
    for (const GridEntry& e : mGrids.userGrids())
        if (GridList::isCurrent(e, current))
            checked = &e;
    const auto addEntry = [&](const GridEntry& e) {
        auto* a = new QAction(e.Caption, mHolder);
        addAction(a);
        a->setCheckable(true);
        a->setChecked(&e == checked);
        a->setData(e.grid());
        const double g = e.grid();
        connect(a, &QAction::triggered, mHolder, [this, g] { mView.setGrid(g); });
        mGridActions.push_back(a);
    };
    for (const GridEntry& e : mGrids.builtIn())
        addEntry(e);
    addSeparator();
    for (const GridEntry& e : mGrids.userGrids())
        addEntry(e);
    addAction(mAdd);
    addAction(mRemove);
    mRemove->setEnabled(mGrids.isUserGrid(current));
    addSeparator();
    addMenu(mMarking);
    for (QAction* a : mMarking->actions())
        a->setChecked(a->data().toInt() == mView.gridMarking());
    addAction(mVisible);
    mVisible->setChecked(mView.gridVisible());
}

void GridMenu::addGrid()
{
    if (!askNewGrid)
        return;
    const std::optional<QString> text = askNewGrid();
    if (!text)
        return;
    const std::size_t before = mGrids.userGrids().size();
    if (const std::optional<double> grid = mGrids.addUserGrid(*text)) {
        mView.setGrid(*grid);
        if (mGrids.userGrids().size() != before)
            emit userGridsChanged();
    }
}

void GridMenu::removeGrid()
{
    // The grid itself stays as it is; only the entry goes.
    if (mGrids.removeUserGrid(mView.grid()))
        emit userGridsChanged();
}

} // namespace trevok
