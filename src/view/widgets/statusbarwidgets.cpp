#include "view/widgets/statusbarwidgets.h"

#include "view/widgets/layspinedit.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

namespace trevok {

// Stub: layout and behaviour follow in the next step.
StatusBarWidgets::StatusBarWidgets(QWidget* parent) : QObject(parent)
{
    x_ = new QLabel(parent);
    y_ = new QLabel(parent);
    hint_ = new QLabel(parent);
    panel_ = new QWidget(parent);
    groundPlane_ = new QToolButton(panel_);
    clearance_ = new TLaySpinEdit(panel_);
    restricted_ = new QToolButton(panel_);
}

void StatusBarWidgets::addTo(QStatusBar* bar)
{
    bar->addWidget(x_);
    bar->addWidget(y_);
    bar->addWidget(panel_);
    bar->addWidget(hint_, 1);
}
void StatusBarWidgets::setSession(EditSession* session) { session_ = session; }
void StatusBarWidgets::setCoordinates(const QString& x, const QString& y)
{
    x_->setText(x);
    y_->setText(y);
}
void StatusBarWidgets::setHint(const QString& text) { hint_->setText(text); }
void StatusBarWidgets::syncGroundPlane() {}
void StatusBarWidgets::toggleGroundPlane() {}
void StatusBarWidgets::showParameters() {}

} // namespace trevok
