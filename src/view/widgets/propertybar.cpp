#include "view/widgets/propertybar.h"

#include "view/widgets/layspinedit.h"

#include <QMenu>
#include <QToolButton>

namespace trevok {

// Stub: the fields are built in the next step.
PropertyBar::PropertyBar(QWidget* parent) : QWidget(parent)
{
    shapeMenu_ = new QMenu(this);
    shapeButton_ = new QToolButton(this);
}

void PropertyBar::setSession(EditSession* session) { session_ = session; }
TLaySpinEdit* PropertyBar::field(ParamField f) const noexcept
{
    const auto i = static_cast<std::size_t>(f);
    return i < fields_.size() ? fields_[i] : nullptr;
}
FavouriteList& PropertyBar::favourites(FavouriteKind kind) noexcept { return lists_[static_cast<std::size_t>(kind)]; }
const FavouriteList& PropertyBar::favourites(FavouriteKind kind) const noexcept
{
    return lists_[static_cast<std::size_t>(kind)];
}
QToolButton* PropertyBar::favouriteButton(FavouriteKind kind) const noexcept
{
    return listButtons_[static_cast<std::size_t>(kind)];
}
QMenu* PropertyBar::favouriteMenu(FavouriteKind kind) const noexcept { return listMenus_[static_cast<std::size_t>(kind)]; }
void PropertyBar::rebuildFavouriteMenu(FavouriteKind) {}
QAction* PropertyBar::shapeAction(int shape) const noexcept
{
    return shape >= 1 && shape <= 9 ? shapeActions_[static_cast<std::size_t>(shape - 1)] : nullptr;
}
QIcon PropertyBar::currentPadIcon() const { return {}; }
void PropertyBar::showParameters() {}
void PropertyBar::selectionChanged() {}
void PropertyBar::hoverTool(int tool) { hoverTool_ = tool; }
bool PropertyBar::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }

} // namespace trevok
