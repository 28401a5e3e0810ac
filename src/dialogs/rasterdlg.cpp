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
    mValue = new QDoubleSpinBox(group);
    mValue->setObjectName(QStringLiteral("SE_Raster"));
    // Values are always written with a decimal point, whatever the desktop's locale.
    mValue->setLocale(QLocale::c());
    mValue->setRange(0.01, 99.90);
    mValue->setSingleStep(0.01);
    mValue->setDecimals(2);
    mValue->setValue(0.50);
    mValue->setSuffix(QStringLiteral(" mm"));

    auto* row = new QHBoxLayout(group);
    row->addWidget(mValue);
    row->addStretch();

    QDialogButtonBox* buttons = MakeDialogButtons(this, HelpTopic::Grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    mValue->setFocus();
    mValue->selectAll();
}

QString TRasterDlg::valueText() const
{
    return QString::number(mValue->value(), 'f', mValue->decimals());
}

} // namespace trevok
