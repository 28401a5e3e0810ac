#include "dialogs/rasterdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace trevok
{

TRasterDlg::TRasterDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RasterDlg"));
    setWindowTitle(T("Raster definieren", "Define grid", "Définir la grille"));

    auto* group = new QGroupBox(T("Neues Rastermass", "New grid size", "Nouveau pas de grille"), this);
    value_ = new QDoubleSpinBox(group);
    value_->setObjectName(QStringLiteral("SE_Raster"));
    // Values are always written with a decimal point, whatever the desktop's locale.
    value_->setLocale(QLocale::c());
    value_->setRange(0.01, 99.90);
    value_->setSingleStep(0.01);
    value_->setDecimals(2);
    value_->setValue(0.50);
    value_->setSuffix(QStringLiteral(" mm"));

    auto* row = new QHBoxLayout(group);
    row->addWidget(value_);
    row->addStretch();

    QDialogButtonBox* buttons = MakeDialogButtons(this, HelpTopic::Grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    value_->setFocus();
    value_->selectAll();
}

QString TRasterDlg::valueText() const
{
    return QString::number(value_->value(), 'f', value_->decimals());
}

} // namespace trevok
