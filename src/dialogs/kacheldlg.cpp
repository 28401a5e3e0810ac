#include "dialogs/kacheldlg.h"

#include "dialogs/dialogbuttons.h"
#include "document/objekt.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trevok
{

TKachel_Dlg::TKachel_Dlg(int tilesX, int tilesY, std::int32_t gap, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Kachel_Dlg"));
    setWindowTitle(T("Kacheln", "Tile", "Dalle"));

    auto* count = new QGroupBox(T("Anzahl der Kacheln", "Number of tiles", "Nombre de dalles"), this);
    count->setObjectName(QStringLiteral("GroupBox1"));
    x_ = new QSpinBox(count);
    x_->setObjectName(QStringLiteral("KachelX"));
    y_ = new QSpinBox(count);
    y_->setObjectName(QStringLiteral("KachelY"));
    for (QSpinBox* s : {x_, y_})
        s->setRange(1, 20);
    x_->setValue(tilesX);
    y_->setValue(tilesY);
    auto* counts = new QFormLayout(count);
    counts->addRow(QStringLiteral("X:"), x_);
    counts->addRow(QStringLiteral("Y:"), y_);

    auto* distance =
        new QGroupBox(T("Abstand der Kacheln", "Distance between tiles", "Distance entre dalles"), this);
    distance->setObjectName(QStringLiteral("GroupBox2"));
    gap_ = new QDoubleSpinBox(distance);
    gap_->setObjectName(QStringLiteral("Abstand"));
    gap_->setLocale(QLocale::c());
    gap_->setRange(0, 50);
    gap_->setDecimals(2);
    gap_->setSingleStep(0.5);
    gap_->setValue(gap / 100.0);
    auto* row = new QHBoxLayout(distance);
    row->addWidget(gap_);
    row->addWidget(new QLabel(QStringLiteral("mm"), distance));
    row->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(distance);
    layout->addWidget(MakeDialogButtons(this, 0));
}

int TKachel_Dlg::tilesX() const
{
    return x_->value();
}

int TKachel_Dlg::tilesY() const
{
    return y_->value();
}

std::int32_t TKachel_Dlg::gap() const
{
    return RoundHalfEven(gap_->value() * 100.0);
}

} // namespace trevok
