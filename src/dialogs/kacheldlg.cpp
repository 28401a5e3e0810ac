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
    mX = new QSpinBox(count);
    mX->setObjectName(QStringLiteral("KachelX"));
    mY = new QSpinBox(count);
    mY->setObjectName(QStringLiteral("KachelY"));
    for (QSpinBox* s : {mX, mY})
        s->setRange(1, 20);
    mX->setValue(tilesX);
    mY->setValue(tilesY);
    auto* counts = new QFormLayout(count);
    counts->addRow(QStringLiteral("X:"), mX);
    counts->addRow(QStringLiteral("Y:"), mY);

    auto* distance =
        new QGroupBox(T("Abstand der Kacheln", "Distance between tiles", "Distance entre dalles"), this);
    distance->setObjectName(QStringLiteral("GroupBox2"));
    mGap = new QDoubleSpinBox(distance);
    mGap->setObjectName(QStringLiteral("Abstand"));
    mGap->setLocale(QLocale::c());
    mGap->setRange(0, 50);
    mGap->setDecimals(2);
    mGap->setSingleStep(0.5);
    mGap->setValue(gap / 100.0);
    auto* row = new QHBoxLayout(distance);
    row->addWidget(mGap);
    row->addWidget(new QLabel(QStringLiteral("mm"), distance));
    row->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(distance);
    layout->addWidget(MakeDialogButtons(this, 0));
}

int TKachel_Dlg::tilesX() const
{
    return mX->value();
}

int TKachel_Dlg::tilesY() const
{
    return mY->value();
}

std::int32_t TKachel_Dlg::gap() const
{
    return RoundHalfEven(mGap->value() * 100.0);
}

} // namespace trevok
