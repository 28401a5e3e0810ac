#include "dialogs/gcodedlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

QRadioButton* radio(QWidget* parent, const char* name, const QString& text)
{
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(QString::fromLatin1(name));
    return r;
}

} // namespace

QDoubleSpinBox* TGcodeDlg::millimetres(const char* name, double value, double lo, double hi, int decimals)
{
    auto* s = new QDoubleSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setLocale(QLocale::c());
    s->setDecimals(decimals);
    s->setRange(lo, hi);
    s->setSingleStep(decimals >= 2 ? 0.05 : 10.0);
    s->setValue(value);
    return s;
}

TGcodeDlg::TGcodeDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GcodeDlg"));
    setWindowTitle(T("G-Code", "G-code", "G-code"));
    const GcodeOptions d;

    auto* layers = new QGroupBox(T("Layer", "Layer", "Couche"), this);
    auto* k1 = radio(layers, "RB_K1", T("K1", "C1", "C1"));
    mK2 = radio(layers, "RB_K2", T("K2", "C2", "C2"));
    k1->setChecked(true);
    auto* layerRow = new QHBoxLayout(layers);
    layerRow->addWidget(k1);
    layerRow->addWidget(mK2);

    // The ranges are those the command line accepts, so that both can write the same files.
    mWidth = millimetres("SE_Breite", 0.0, 0.0, 4.99, 2);
    mDepth = millimetres("SE_Tiefe", d.depthMm, 0.01, 10.0, 2);
    mDrillDepth = millimetres("SE_Bohrtiefe", d.drillDepthMm, 0.01, 10.0, 2);
    mOutlineDepth = millimetres("SE_Konturtiefe", d.outlineDepthMm, 0.01, 10.0, 2);
    mSafeZ = millimetres("SE_Sicherheit", d.safeZMm, 0.1, 100.0, 2);
    mFeed = millimetres("SE_Vorschub", d.feedMmPerMin, 1.0, 20000.0, 0);
    mPlunge = millimetres("SE_Eintauchen", d.plungeMmPerMin, 1.0, 20000.0, 0);
    mSpindle = new QSpinBox(this);
    mSpindle->setObjectName(QStringLiteral("SE_Spindel"));
    mSpindle->setRange(0, 100000);
    mSpindle->setSingleStep(1000);
    mSpindle->setValue(d.spindleRpm);
    for (QDoubleSpinBox* s : {mWidth, mDepth, mDrillDepth, mOutlineDepth, mSafeZ})
        s->setSuffix(QStringLiteral(" mm"));
    for (QDoubleSpinBox* s : {mFeed, mPlunge})
        s->setSuffix(QStringLiteral(" mm/min"));
    mSpindle->setSuffix(T(" U/min", " rpm", " tr/min"));

    auto* machine = new QGroupBox(T("Maschine", "Machine", "Machine"), this);
    auto* form = new QFormLayout(machine);
    form->addRow(T("Fräsbreite:", "Milling width:", "Largeur de fraisage :"), mWidth);
    form->addRow(T("Frästiefe:", "Milling depth:", "Profondeur de fraisage :"), mDepth);
    form->addRow(T("Bohrtiefe:", "Drill depth:", "Profondeur de perçage :"), mDrillDepth);
    form->addRow(T("Konturtiefe:", "Outline depth:", "Profondeur du contour :"), mOutlineDepth);
    form->addRow(T("Sicherheitshöhe:", "Safe height:", "Hauteur de sécurité :"), mSafeZ);
    form->addRow(T("Vorschub:", "Feed:", "Avance :"), mFeed);
    form->addRow(T("Eintauchvorschub:", "Plunge feed:", "Avance de plongée :"), mPlunge);
    form->addRow(T("Spindeldrehzahl:", "Spindle speed:", "Vitesse de broche :"), mSpindle);

    auto* drills = new QGroupBox(T("Bohrungen", "Drillings", "Perçages"), this);
    auto* drillsNone = radio(drills, "RB_Bohrungen_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    mDrillsOne = radio(drills, "RB_Bohrungen_Extra",
                       T("Alle Bohrungen in einer Extradatei", "All drillings in a extra file",
                         "Tous les perçages dans un fichier séparé"));
    mDrillsEach = radio(drills, "RB_Bohrungen_AlleExtra",
                        T("Je Durchmesser eine Extradatei", "Each diameter in a extra file",
                          "Un fichier séparé par diamètre"));
    drillsNone->setChecked(true);
    auto* drillCol = new QVBoxLayout(drills);
    for (QRadioButton* r : {drillsNone, mDrillsOne, mDrillsEach})
        drillCol->addWidget(r);

    auto* outline = new QGroupBox(T("Platinenkontur", "PCB outline", "Contour de la carte"), this);
    auto* outlineNone = radio(outline, "RB_Kontur_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    mOutlineB1 = radio(outline, "RB_Kontur_B1", T("B1", "S1", "S1"));
    mOutlineB2 = radio(outline, "RB_Kontur_B2", T("B2", "S2", "S2"));
    outlineNone->setChecked(true);
    auto* outlineCol = new QVBoxLayout(outline);
    for (QRadioButton* r : {outlineNone, mOutlineB1, mOutlineB2})
        outlineCol->addWidget(r);

    auto* grid = new QGridLayout;
    grid->addWidget(layers, 0, 0);
    grid->addWidget(machine, 1, 0, 2, 1);
    grid->addWidget(drills, 0, 1, 2, 1);
    grid->addWidget(outline, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Gcode));
}

MillingOptions TGcodeDlg::millingOptions() const
{
    MillingOptions o;
    o.layer = mK2->isChecked() ? LayerK2 : LayerK1;
    o.width = RoundHalfEven(mWidth->value() * 100.0);
    return o;
}

GcodeOptions TGcodeDlg::gcodeOptions(int language) const
{
    GcodeOptions o;
    o.language = language;
    o.depthMm = mDepth->value();
    o.drillDepthMm = mDrillDepth->value();
    o.outlineDepthMm = mOutlineDepth->value();
    o.safeZMm = mSafeZ->value();
    o.feedMmPerMin = mFeed->value();
    o.plungeMmPerMin = mPlunge->value();
    o.spindleRpm = mSpindle->value();
    o.drills = mDrillsOne->isChecked()
                   ? DrillFiles::One
                   : (mDrillsEach->isChecked() ? DrillFiles::PerDiameter : DrillFiles::None);
    return o;
}

std::uint8_t TGcodeDlg::outlineLayer() const
{
    return mOutlineB1->isChecked() ? LayerB1 : (mOutlineB2->isChecked() ? LayerB2 : 0);
}

} // namespace trevok
