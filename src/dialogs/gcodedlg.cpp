#include "dialogs/gcodedlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
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

    // The ranges are those the command line accepts, so that both can write the same files. The
    // width starts at a common V-bit's: 0 would put the cutter's centre on the copper edge.
    mWidth = millimetres("SE_Breite", 0.20, 0.0, 4.99, 2);
    mPasses = new TDurchgaenge(this);
    mDepth = millimetres("SE_Tiefe", d.depthMm, 0.01, 10.0, 2);
    mDrillDepth = millimetres("SE_Bohrtiefe", d.drillDepthMm, 0.01, 10.0, 2);
    mSafeZ = millimetres("SE_Sicherheit", d.safeZMm, 0.1, 100.0, 2);
    mFeed = millimetres("SE_Vorschub", d.feedMmPerMin, 1.0, 20000.0, 0);
    mPlunge = millimetres("SE_Eintauchen", d.plungeMmPerMin, 1.0, 20000.0, 0);
    mRapid = millimetres("SE_Eilgang", d.rapidMmPerMin, 1.0, 100000.0, 0);
    mSpindle = new QSpinBox(this);
    mSpindle->setObjectName(QStringLiteral("SE_Spindel"));
    mSpindle->setRange(1, 100000); // a cutter that does not turn breaks
    mSpindle->setSingleStep(1000);
    mSpindle->setValue(d.spindleRpm);
    mDwell = millimetres("SE_Verweilzeit", d.dwellS, 0.0, 60.0, 1);
    mDwell->setSingleStep(0.5);
    mDwell->setSuffix(QStringLiteral(" s"));
    for (QDoubleSpinBox* s : {mWidth, mDepth, mDrillDepth, mSafeZ})
        s->setSuffix(QStringLiteral(" mm"));
    for (QDoubleSpinBox* s : {mFeed, mPlunge, mRapid})
        s->setSuffix(QStringLiteral(" mm/min"));
    mSpindle->setSuffix(T(" U/min", " rpm", " tr/min"));

    auto* machine = new QGroupBox(T("Maschine", "Machine", "Machine"), this);
    auto* form = new QFormLayout(machine);
    form->addRow(T("Fräsbreite:", "Milling width:", "Largeur de fraisage :"), mWidth);
    form->addRow(T("Frästiefe:", "Milling depth:", "Profondeur de fraisage :"), mDepth);
    form->addRow(T("Bohrtiefe:", "Drill depth:", "Profondeur de perçage :"), mDrillDepth);
    form->addRow(T("Sicherheitshöhe:", "Safe height:", "Hauteur de sécurité :"), mSafeZ);
    form->addRow(T("Vorschub:", "Feed:", "Avance :"), mFeed);
    form->addRow(T("Eintauchvorschub:", "Plunge feed:", "Avance de plongée :"), mPlunge);
    form->addRow(T("Eilgang:", "Rapid rate:", "Avance rapide :"), mRapid);
    form->addRow(T("Spindeldrehzahl:", "Spindle speed:", "Vitesse de broche :"), mSpindle);
    form->addRow(T("Verweilzeit nach Start:", "Dwell after start:", "Temporisation au démarrage :"), mDwell);

    auto* texts = new QGroupBox(T("Texte", "Text", "Textes"), this);
    auto* textRow = new QHBoxLayout(texts);
    textRow->addWidget(
        MillTextChoice(texts, T("Normal:", "Normal:", "Normal :"), "RB_Text_Out", "RB_Text_Single", mTextSingle));
    textRow->addWidget(MillTextChoice(texts, T("Markiert:", "Marked:", "Marqués :"), "RB_MText_Out",
                                      "RB_MText_Single", mMarkedTextSingle));

    auto* drills = new QGroupBox(T("Bohrungen", "Drillings", "Perçages"), this);
    auto* drillsNone = radio(drills, "RB_Bohrungen_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    mDrillsOne = radio(drills, "RB_Bohrungen_Extra",
                       T("Alle Bohrungen in einer Extradatei", "All drillings in a extra file",
                         "Tous les perçages dans un fichier séparé"));
    mDrillsEach = radio(drills, "RB_Bohrungen_AlleExtra",
                        T("Je Durchmesser eine Extradatei", "Each diameter in a extra file",
                          "Un fichier séparé par diamètre"));
    drillsNone->setChecked(true);
    mCentring = new QCheckBox(T("Zentrierkörnungen für Bohrungen", "Mark drill holes for centering",
                                "Pointer les perçages pour le centrage"),
                              drills);
    mCentring->setObjectName(QStringLiteral("CB_Zentrierung"));
    auto* drillCol = new QVBoxLayout(drills);
    for (QWidget* w : std::initializer_list<QWidget*>{drillsNone, mDrillsOne, mDrillsEach, mCentring})
        drillCol->addWidget(w);

    auto* outline = new QGroupBox(T("Platinenkontur", "PCB outline", "Contour de la carte"), this);
    auto* outlineNone = radio(outline, "RB_Kontur_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    mOutlineBoard = radio(outline, "RB_Kontur_Platine",
                          T("Platinenrechteck", "Board rectangle", "Rectangle de la carte"));
    mOutlineSelected = radio(outline, "RB_Kontur_Markiert",
                             T("Markierte Elemente auf B1/B2", "Selected elements on S1/S2",
                               "Éléments sélectionnés sur S1/S2"));
    mOutlineBoard->setChecked(true);
    mOutlineDepth = millimetres("SE_Konturtiefe", d.outlineDepthMm, 0.01, 10.0, 2);
    mOutlineTool = millimetres("SE_Konturfraeser", d.outlineToolMm, 0.1, 10.0, 2);
    mOutlineStep = millimetres("SE_Zustellung", d.outlineStepMm, 0.05, 10.0, 2);
    mTabs = new QSpinBox(this);
    mTabs->setObjectName(QStringLiteral("SE_Stege"));
    mTabs->setRange(0, 20);
    mTabs->setValue(d.tabs);
    mTabWidth = millimetres("SE_Stegbreite", d.tabWidthMm, 0.5, 20.0, 2);
    mTabHeight = millimetres("SE_Steghoehe", d.tabHeightMm, 0.1, 10.0, 2);
    for (QDoubleSpinBox* s : {mOutlineDepth, mOutlineTool, mOutlineStep, mTabWidth, mTabHeight})
        s->setSuffix(QStringLiteral(" mm"));
    auto* outlineForm = new QFormLayout(outline);
    outlineForm->addRow(outlineNone);
    outlineForm->addRow(mOutlineBoard);
    outlineForm->addRow(mOutlineSelected);
    outlineForm->addRow(T("Konturtiefe:", "Outline depth:", "Profondeur du contour :"), mOutlineDepth);
    outlineForm->addRow(T("Fräserdurchmesser:", "Cutter diameter:", "Diamètre de la fraise :"), mOutlineTool);
    outlineForm->addRow(T("Zustellung:", "Depth per pass:", "Profondeur par passe :"), mOutlineStep);
    outlineForm->addRow(T("Haltestege:", "Holding tabs:", "Attaches :"), mTabs);
    outlineForm->addRow(T("Stegbreite:", "Tab width:", "Largeur d'attache :"), mTabWidth);
    outlineForm->addRow(T("Steghöhe:", "Tab height:", "Hauteur d'attache :"), mTabHeight);

    mCorners = new TPassBohrungen(this);
    mCorners->setCorners({false, false, false, false}); // a G-code job drills none unless asked
    mMirror = new TSpiegeln(this);
    mFigures = new QLabel(this);
    mFigures->setObjectName(QStringLiteral("L_Auftrag"));

    auto* grid = new QGridLayout;
    grid->addWidget(layers, 0, 0);
    grid->addWidget(machine, 1, 0, 2, 1);
    grid->addWidget(mPasses, 3, 0);
    grid->addWidget(texts, 4, 0);
    grid->addWidget(drills, 0, 1, 2, 1);
    grid->addWidget(outline, 2, 1, 3, 1);
    grid->addWidget(mCorners, 0, 2, 2, 1);
    grid->addWidget(mMirror, 2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(mFigures);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Gcode));
}

MillingOptions TGcodeDlg::millingOptions() const
{
    MillingOptions o;
    o.layer = mK2->isChecked() ? LayerK2 : LayerK1;
    o.width = RoundHalfEven(mWidth->value() * 100.0);
    o.singleLineTexts = mTextSingle->isChecked();
    o.singleLineMarkedTexts = mMarkedTextSingle->isChecked();
    return o;
}

PassOptions TGcodeDlg::passOptions() const
{
    return mPasses->passes();
}

GcodeOptions TGcodeDlg::gcodeOptions(int language) const
{
    GcodeOptions o;
    o.language = language;
    o.depthMm = mDepth->value();
    o.drillDepthMm = mDrillDepth->value();
    o.safeZMm = mSafeZ->value();
    o.feedMmPerMin = mFeed->value();
    o.plungeMmPerMin = mPlunge->value();
    o.rapidMmPerMin = mRapid->value();
    o.spindleRpm = mSpindle->value();
    o.dwellS = mDwell->value();
    o.drills = mDrillsOne->isChecked()
                   ? DrillFiles::One
                   : (mDrillsEach->isChecked() ? DrillFiles::PerDiameter : DrillFiles::None);
    o.centreMarks = mCentring->isChecked();
    o.outline = mOutlineBoard->isChecked()
                    ? OutlineSource::Board
                    : (mOutlineSelected->isChecked() ? OutlineSource::Selected : OutlineSource::None);
    o.outlineDepthMm = mOutlineDepth->value();
    o.outlineToolMm = mOutlineTool->value();
    o.outlineStepMm = mOutlineStep->value();
    o.tabs = mTabs->value();
    o.tabWidthMm = mTabWidth->value();
    o.tabHeightMm = mTabHeight->value();
    o.corners = mCorners->corners();
    o.mirror = mMirror->mirror();
    return o;
}

QString TGcodeDlg::JobFiguresText(const GcodeStats& s)
{
    return T("Letzter Auftrag: Eilgang %1 mm, Fräsweg %2 mm, geschätzte Dauer %3 min",
             "Last job: travel %1 mm, cutting %2 mm, estimated time %3 min",
             "Dernier travail : déplacements %1 mm, fraisage %2 mm, durée estimée %3 min")
        .arg(s.travelMm, 0, 'f', 0)
        .arg(s.cutMm, 0, 'f', 0)
        .arg(s.minutes, 0, 'f', 1);
}

void TGcodeDlg::setJobFigures(const GcodeStats& stats)
{
    mFigures->setText(JobFiguresText(stats));
}

} // namespace trevok
