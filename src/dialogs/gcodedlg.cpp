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
    k2_ = radio(layers, "RB_K2", T("K2", "C2", "C2"));
    k1->setChecked(true);
    auto* layerRow = new QHBoxLayout(layers);
    layerRow->addWidget(k1);
    layerRow->addWidget(k2_);

    // The ranges are those the command line accepts, so that both can write the same files. The
    // width starts at a common V-bit's: 0 would put the cutter's centre on the copper edge.
    width_ = millimetres("SE_Breite", 0.20, 0.0, 4.99, 2);
    passes_ = new TDurchgaenge(this);
    depth_ = millimetres("SE_Tiefe", d.depthMm, 0.01, 10.0, 2);
    drillDepth_ = millimetres("SE_Bohrtiefe", d.drillDepthMm, 0.01, 10.0, 2);
    safeZ_ = millimetres("SE_Sicherheit", d.safeZMm, 0.1, 100.0, 2);
    feed_ = millimetres("SE_Vorschub", d.feedMmPerMin, 1.0, 20000.0, 0);
    plunge_ = millimetres("SE_Eintauchen", d.plungeMmPerMin, 1.0, 20000.0, 0);
    rapid_ = millimetres("SE_Eilgang", d.rapidMmPerMin, 1.0, 100000.0, 0);
    spindle_ = new QSpinBox(this);
    spindle_->setObjectName(QStringLiteral("SE_Spindel"));
    spindle_->setRange(1, 100000); // a cutter that does not turn breaks
    spindle_->setSingleStep(1000);
    spindle_->setValue(d.spindleRpm);
    dwell_ = millimetres("SE_Verweilzeit", d.dwellS, 0.0, 60.0, 1);
    dwell_->setSingleStep(0.5);
    dwell_->setSuffix(QStringLiteral(" s"));
    for (QDoubleSpinBox* s : {width_, depth_, drillDepth_, safeZ_})
        s->setSuffix(QStringLiteral(" mm"));
    for (QDoubleSpinBox* s : {feed_, plunge_, rapid_})
        s->setSuffix(QStringLiteral(" mm/min"));
    spindle_->setSuffix(T(" U/min", " rpm", " tr/min"));

    auto* machine = new QGroupBox(T("Maschine", "Machine", "Machine"), this);
    auto* form = new QFormLayout(machine);
    form->addRow(T("Fräsbreite:", "Milling width:", "Largeur de fraisage :"), width_);
    form->addRow(T("Frästiefe:", "Milling depth:", "Profondeur de fraisage :"), depth_);
    form->addRow(T("Bohrtiefe:", "Drill depth:", "Profondeur de perçage :"), drillDepth_);
    form->addRow(T("Sicherheitshöhe:", "Safe height:", "Hauteur de sécurité :"), safeZ_);
    form->addRow(T("Vorschub:", "Feed:", "Avance :"), feed_);
    form->addRow(T("Eintauchvorschub:", "Plunge feed:", "Avance de plongée :"), plunge_);
    form->addRow(T("Eilgang:", "Rapid rate:", "Avance rapide :"), rapid_);
    form->addRow(T("Spindeldrehzahl:", "Spindle speed:", "Vitesse de broche :"), spindle_);
    form->addRow(T("Verweilzeit nach Start:", "Dwell after start:", "Temporisation au démarrage :"), dwell_);

    auto* texts = new QGroupBox(T("Texte", "Text", "Textes"), this);
    auto* textRow = new QHBoxLayout(texts);
    textRow->addWidget(MillTextChoice(texts, T("Normal:", "Normal:", "Normal :"), "RB_Text_Out",
                                      "RB_Text_Single", textSingle_));
    textRow->addWidget(MillTextChoice(texts, T("Markiert:", "Marked:", "Marqués :"), "RB_MText_Out",
                                      "RB_MText_Single", markedTextSingle_));

    auto* drills = new QGroupBox(T("Bohrungen", "Drillings", "Perçages"), this);
    auto* drillsNone = radio(drills, "RB_Bohrungen_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    drillsOne_ = radio(drills, "RB_Bohrungen_Extra",
                       T("Alle Bohrungen in einer Extradatei", "All drillings in a extra file",
                         "Tous les perçages dans un fichier séparé"));
    drillsEach_ = radio(drills, "RB_Bohrungen_AlleExtra",
                        T("Je Durchmesser eine Extradatei", "Each diameter in a extra file",
                          "Un fichier séparé par diamètre"));
    drillsNone->setChecked(true);
    centring_ = new QCheckBox(T("Zentrierkörnungen für Bohrungen", "Mark drill holes for centering",
                                "Pointer les perçages pour le centrage"),
                              drills);
    centring_->setObjectName(QStringLiteral("CB_Zentrierung"));
    auto* drillCol = new QVBoxLayout(drills);
    for (QWidget* w : std::initializer_list<QWidget*>{drillsNone, drillsOne_, drillsEach_, centring_})
        drillCol->addWidget(w);

    auto* outline = new QGroupBox(T("Platinenkontur", "PCB outline", "Contour de la carte"), this);
    auto* outlineNone = radio(outline, "RB_Kontur_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    outlineBoard_ = radio(outline, "RB_Kontur_Platine",
                          T("Platinenrechteck", "Board rectangle", "Rectangle de la carte"));
    outlineSelected_ = radio(
        outline, "RB_Kontur_Markiert",
        T("Markierte Elemente auf B1/B2", "Selected elements on S1/S2", "Éléments sélectionnés sur S1/S2"));
    outlineBoard_->setChecked(true);
    outlineDepth_ = millimetres("SE_Konturtiefe", d.outlineDepthMm, 0.01, 10.0, 2);
    outlineTool_ = millimetres("SE_Konturfraeser", d.outlineToolMm, 0.1, 10.0, 2);
    outlineStep_ = millimetres("SE_Zustellung", d.outlineStepMm, 0.05, 10.0, 2);
    tabs_ = new QSpinBox(this);
    tabs_->setObjectName(QStringLiteral("SE_Stege"));
    tabs_->setRange(0, 20);
    tabs_->setValue(d.tabs);
    tabWidth_ = millimetres("SE_Stegbreite", d.tabWidthMm, 0.5, 20.0, 2);
    tabHeight_ = millimetres("SE_Steghoehe", d.tabHeightMm, 0.1, 10.0, 2);
    for (QDoubleSpinBox* s : {outlineDepth_, outlineTool_, outlineStep_, tabWidth_, tabHeight_})
        s->setSuffix(QStringLiteral(" mm"));
    auto* outlineForm = new QFormLayout(outline);
    outlineForm->addRow(outlineNone);
    outlineForm->addRow(outlineBoard_);
    outlineForm->addRow(outlineSelected_);
    outlineForm->addRow(T("Konturtiefe:", "Outline depth:", "Profondeur du contour :"), outlineDepth_);
    outlineForm->addRow(T("Fräserdurchmesser:", "Cutter diameter:", "Diamètre de la fraise :"), outlineTool_);
    outlineForm->addRow(T("Zustellung:", "Depth per pass:", "Profondeur par passe :"), outlineStep_);
    outlineForm->addRow(T("Haltestege:", "Holding tabs:", "Attaches :"), tabs_);
    outlineForm->addRow(T("Stegbreite:", "Tab width:", "Largeur d'attache :"), tabWidth_);
    outlineForm->addRow(T("Steghöhe:", "Tab height:", "Hauteur d'attache :"), tabHeight_);

    corners_ = new TPassBohrungen(this);
    corners_->setCorners({false, false, false, false}); // a G-code job drills none unless asked
    mirror_ = new TSpiegeln(this);
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("L_Auftrag"));

    auto* grid = new QGridLayout;
    grid->addWidget(layers, 0, 0);
    grid->addWidget(machine, 1, 0, 2, 1);
    grid->addWidget(passes_, 3, 0);
    grid->addWidget(texts, 4, 0);
    grid->addWidget(drills, 0, 1, 2, 1);
    grid->addWidget(outline, 2, 1, 3, 1);
    grid->addWidget(corners_, 0, 2, 2, 1);
    grid->addWidget(mirror_, 2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(figures_);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Gcode));
}

MillingOptions TGcodeDlg::millingOptions() const
{
    MillingOptions o;
    o.layer = k2_->isChecked() ? LayerK2 : LayerK1;
    o.width = RoundHalfEven(width_->value() * 100.0);
    o.singleLineTexts = textSingle_->isChecked();
    o.singleLineMarkedTexts = markedTextSingle_->isChecked();
    return o;
}

PassOptions TGcodeDlg::passOptions() const
{
    return passes_->passes();
}

GcodeOptions TGcodeDlg::gcodeOptions(int language) const
{
    GcodeOptions o;
    o.language = language;
    o.depthMm = depth_->value();
    o.drillDepthMm = drillDepth_->value();
    o.safeZMm = safeZ_->value();
    o.feedMmPerMin = feed_->value();
    o.plungeMmPerMin = plunge_->value();
    o.rapidMmPerMin = rapid_->value();
    o.spindleRpm = spindle_->value();
    o.dwellS = dwell_->value();
    o.drills = drillsOne_->isChecked()
                   ? DrillFiles::One
                   : (drillsEach_->isChecked() ? DrillFiles::PerDiameter : DrillFiles::None);
    o.centreMarks = centring_->isChecked();
    o.outline = outlineBoard_->isChecked()
                    ? OutlineSource::Board
                    : (outlineSelected_->isChecked() ? OutlineSource::Selected : OutlineSource::None);
    o.outlineDepthMm = outlineDepth_->value();
    o.outlineToolMm = outlineTool_->value();
    o.outlineStepMm = outlineStep_->value();
    o.tabs = tabs_->value();
    o.tabWidthMm = tabWidth_->value();
    o.tabHeightMm = tabHeight_->value();
    o.corners = corners_->corners();
    o.mirror = mirror_->mirror();
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
    figures_->setText(JobFiguresText(stats));
}

} // namespace trevok
