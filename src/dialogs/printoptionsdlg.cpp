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
    pads_ = new QCheckBox(T("Lötaugen", "Pads", "Pastilles"), mask);
    pads_->setObjectName(QStringLiteral("CB_Loetaugen"));
    pads_->setChecked(s.maskPads);
    smdPads_ = new QCheckBox(T("SMD-Pads", "SMD-Pads", "Pastilles CMS"), mask);
    smdPads_->setObjectName(QStringLiteral("CB_SMDPads"));
    smdPads_->setChecked(s.maskSmdPads);
    pad_ = millimetres(mask, "SE_LABreite", 0.01, 9.99, 2, s.padMaskMargin / 100.0);
    smd_ = millimetres(mask, "SE_SMDBreite", 0.01, 9.99, 2, s.smdMaskMargin / 100.0);
    auto* grid = new QGridLayout(mask);
    grid->addWidget(pads_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Offset [mm] :"), mask), 0, 1);
    grid->addWidget(pad_, 0, 2);
    grid->addWidget(smdPads_, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Offset [mm] :"), mask), 1, 1);
    grid->addWidget(smd_, 1, 2);

    auto* drill = new QGroupBox(T("Bohrplan", "Drillings", "Perçages"), this);
    drill->setObjectName(QStringLiteral("GroupBox2"));
    text_ = millimetres(drill, "SE_Texthoehe", 0.1, 9.9, 1, s.drillTextHeight / 100.0);
    auto* row = new QGridLayout(drill);
    row->addWidget(new QLabel(T("Texthöhe [mm] :", "Textheight [mm]:", "Hauteur texte [mm]:"), drill), 0, 0);
    row->addWidget(text_, 0, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mask);
    layout->addWidget(drill);
    layout->addWidget(MakeDialogButtons(this, 0));
}

void TPrintOptionsDlg::store(PrintSettings& s) const
{
    s.padMaskMargin = RoundHalfEven(pad_->value() * 100.0);
    s.smdMaskMargin = RoundHalfEven(smd_->value() * 100.0);
    s.drillTextHeight = RoundHalfEven(text_->value() * 100.0);
    s.maskPads = pads_->isChecked();
    s.maskSmdPads = smdPads_->isChecked();
}

} // namespace trevok
