#include "dialogs/printoptionsdlg.h"

#include "dialogs/dialogbuttons.h"
#include "document/objekt.h"
#include "print/printsheet.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

QDoubleSpinBox* millimetres(QWidget* parent, const char* name, double min, double max, int decimals,
                            double value)
{
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setLocale(QLocale::c());
    s->setRange(min, max);
    s->setDecimals(decimals);
    s->setSingleStep(decimals == 1 ? 0.1 : 0.01);
    s->setValue(value);
    return s;
}

} // namespace

TPrintOptionsDlg::TPrintOptionsDlg(const PrintSettings& s, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintOptionsDlg"));
    setWindowTitle(T("Optionen", "Options", "Options"));

    auto* mask = new QGroupBox(T("Lötstoppmaske", "Soldermask", "Masque de soudure"), this);
    mask->setObjectName(QStringLiteral("GroupBox1"));
    mPads = new QCheckBox(T("Lötaugen", "Pads", "Pastilles"), mask);
    mPads->setObjectName(QStringLiteral("CB_Loetaugen"));
    mPads->setChecked(s.maskPads);
    mSmdPads = new QCheckBox(T("SMD-Pads", "SMD-Pads", "Pastilles CMS"), mask);
    mSmdPads->setObjectName(QStringLiteral("CB_SMDPads"));
    mSmdPads->setChecked(s.maskSmdPads);
    mPad = millimetres(mask, "SE_LABreite", 0.01, 9.99, 2, s.padMaskMargin / 100.0);
    mSmd = millimetres(mask, "SE_SMDBreite", 0.01, 9.99, 2, s.smdMaskMargin / 100.0);
    auto* grid = new QGridLayout(mask);
    grid->addWidget(mPads, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Offset [mm] :"), mask), 0, 1);
    grid->addWidget(mPad, 0, 2);
    grid->addWidget(mSmdPads, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Offset [mm] :"), mask), 1, 1);
    grid->addWidget(mSmd, 1, 2);

    auto* drill = new QGroupBox(T("Bohrplan", "Drillings", "Perçages"), this);
    drill->setObjectName(QStringLiteral("GroupBox2"));
    mText = millimetres(drill, "SE_Texthoehe", 0.1, 9.9, 1, s.drillTextHeight / 100.0);
    auto* row = new QGridLayout(drill);
    row->addWidget(new QLabel(T("Texthöhe [mm] :", "Textheight [mm]:", "Hauteur texte [mm]:"), drill), 0, 0);
    row->addWidget(mText, 0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mask);
    layout->addWidget(drill);
    layout->addWidget(MakeDialogButtons(this, 0));
}

void TPrintOptionsDlg::store(PrintSettings& s) const
{
    s.padMaskMargin = RoundHalfEven(mPad->value() * 100.0);
    s.smdMaskMargin = RoundHalfEven(mSmd->value() * 100.0);
    s.drillTextHeight = RoundHalfEven(mText->value() * 100.0);
    s.maskPads = mPads->isChecked();
    s.maskSmdPads = mSmdPads->isChecked();
}

} // namespace trevok
