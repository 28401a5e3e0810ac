#include "dialogs/umrissdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "document/project.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

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

TUmrissDlg::TUmrissDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UmrissDlg"));
    setWindowTitle(T("Isolationsfräsen", "Isolation milling", "Fraisage d'isolation"));

    auto* layers = new QGroupBox(T("Layer", "Layer", "Couche"), this);
    k1_ = radio(layers, "RB_K1", T("K1", "C1", "C1"));
    k2_ = radio(layers, "RB_K2", T("K2", "C2", "C2"));
    k1_->setChecked(true);
    auto* layerRow = new QHBoxLayout(layers);
    layerRow->addWidget(k1_);
    layerRow->addWidget(k2_);

    auto* channel = new QGroupBox(T("Isolationskanal", "Milling width", "Largeur de fraisage"), this);
    width_ = new QDoubleSpinBox(channel);
    width_->setObjectName(QStringLiteral("SE_Staerke"));
    width_->setLocale(QLocale::c());
    width_->setRange(0.0, 4.99);
    width_->setSingleStep(0.01);
    width_->setDecimals(2);
    width_->setSuffix(QStringLiteral(" mm"));
    includeWidth_ = new QCheckBox(T("Einbeziehen", "Include", "Inclure"), channel);
    includeWidth_->setObjectName(QStringLiteral("CB_ISO"));
    connect(includeWidth_, &QCheckBox::toggled, this, &TUmrissDlg::updateWidthField);
    auto* channelRow = new QHBoxLayout(channel);
    channelRow->addWidget(width_);
    channelRow->addWidget(includeWidth_);
    passes_ = new TDurchgaenge(this);
    metric_ = MetricUnitsBox(this);

    auto* texts = new QGroupBox(T("Texte", "Text", "Textes"), this);
    normalTexts_ = MillTextChoice(texts, T("Normal:", "Normal:", "Normal :"), "RB_Text_Out", "RB_Text_Single",
                                  textSingle_);
    markedTexts_ = MillTextChoice(texts, T("Markiert:", "Marked:", "Marqués :"), "RB_MText_Out",
                                  "RB_MText_Single", markedTextSingle_);
    auto* textRow = new QHBoxLayout(texts);
    textRow->addWidget(normalTexts_);
    textRow->addWidget(markedTexts_);

    drills_ = new QGroupBox(T("Bohrungen", "Drillings", "Perçages"), this);
    drillsNone_ = radio(drills_, "RB_Bohrungen_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    drillsOne_ = radio(drills_, "RB_Bohrungen_Extra",
                       T("Alle Bohrungen in einer Extradatei", "All drillings in a extra file",
                         "Tous les perçages dans un fichier séparé"));
    drillsEach_ = radio(drills_, "RB_Bohrungen_AlleExtra",
                        T("Je Durchmesser eine Extradatei", "Each diameter in a extra file",
                          "Un fichier séparé par diamètre"));
    drillsNone_->setChecked(true);
    auto* drillCol = new QVBoxLayout(drills_);
    drillCol->addWidget(drillsNone_);
    drillCol->addWidget(drillsOne_);
    drillCol->addWidget(drillsEach_);
    centring_ = new QCheckBox(T("Zentrierkörnungen für Bohrungen", "Mark drill holes for centering",
                                "Pointer les perçages pour le centrage"),
                              this);
    centring_->setObjectName(QStringLiteral("CB_Zentrierung"));

    corners_ = new TPassBohrungen(this);
    mirror_ = new TSpiegeln(this);

    auto* grid = new QGridLayout;
    grid->addWidget(layers, 0, 0);
    grid->addWidget(channel, 0, 1);
    grid->addWidget(texts, 1, 0);
    grid->addWidget(drills_, 1, 1);
    grid->addWidget(centring_, 2, 1);
    grid->addWidget(passes_, 2, 0);
    grid->addWidget(corners_, 3, 0);
    grid->addWidget(mirror_, 3, 1);
    grid->addWidget(metric_, 4, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Milling));
    updateWidthField();
}

void TUmrissDlg::updateWidthField()
{
    const bool on = includeWidth_->isChecked();
    width_->setEnabled(on);
    width_->setStyleSheet(on ? QStringLiteral("QDoubleSpinBox { background: #000000; color: #FFFF00; }")
                             : QStringLiteral("QDoubleSpinBox { background: #808080; color: #C0C0C0; }"));
}

void TUmrissDlg::prepare(const TBoard& board, QColor k1, QColor k2)
{
    // The layer choices sit on panels of their copper colours.
    for (auto [button, colour] : {std::pair{k1_, k1}, std::pair{k2_, k2}})
        button->setStyleSheet(
            QStringLiteral("QRadioButton { background: %1; padding: 3px; }").arg(colour.name()));
    auto any = [&](auto&& pred) {
        return std::any_of(board.Elements.begin(), board.Elements.end(),
                           [&](const auto& e) { return pred(*e); });
    };
    normalTexts_->setEnabled(any(
        [](const TObjekt& e) { return e.Kind == KindLayoutText && !e.Selected && IsCopperLayer(e.Layer); }));
    markedTexts_->setEnabled(any(
        [](const TObjekt& e) { return e.Kind == KindLayoutText && e.Selected && IsCopperLayer(e.Layer); }));
    const bool pads = any([](const TObjekt& e) { return e.Kind == KindPad && IsCopperLayer(e.Layer); });
    drills_->setEnabled(pads);
    centring_->setEnabled(pads);
}

MillingOptions TUmrissDlg::millingOptions() const
{
    MillingOptions o;
    o.layer = k2_->isChecked() ? LayerK2 : LayerK1;
    o.width = includeWidth_->isChecked() ? RoundHalfEven(width_->value() * 100.0) : 0;
    o.singleLineTexts = textSingle_->isChecked();
    o.singleLineMarkedTexts = markedTextSingle_->isChecked();
    return o;
}

PassOptions TUmrissDlg::passOptions() const
{
    return passes_->passes();
}

HpglOptions TUmrissDlg::hpglOptions(int language) const
{
    HpglOptions o;
    o.language = language;
    o.corners = corners_->corners();
    o.mirror = mirror_->mirror();
    o.metricUnits = metric_->isChecked();
    o.centreMarks = centring_->isEnabled() && centring_->isChecked();
    if (drills_->isEnabled())
        o.drills = drillsOne_->isChecked()
                       ? DrillFiles::One
                       : (drillsEach_->isChecked() ? DrillFiles::PerDiameter : DrillFiles::None);
    return o;
}

} // namespace trevok
