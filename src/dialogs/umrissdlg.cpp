#include "dialogs/umrissdlg.h"

#include "dialogs/help.h"
#include "dialogs/dialogbuttons.h"
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
    mK1 = radio(layers, "RB_K1", T("K1", "C1", "C1"));
    mK2 = radio(layers, "RB_K2", T("K2", "C2", "C2"));
    mK1->setChecked(true);
    auto* layerRow = new QHBoxLayout(layers);
    layerRow->addWidget(mK1);
    layerRow->addWidget(mK2);

    auto* channel = new QGroupBox(T("Isolationskanal", "Milling width", "Largeur de fraisage"), this);
    mWidth = new QDoubleSpinBox(channel);
    mWidth->setObjectName(QStringLiteral("SE_Staerke"));
    mWidth->setLocale(QLocale::c());
    mWidth->setRange(0.0, 4.99);
    mWidth->setSingleStep(0.01);
    mWidth->setDecimals(2);
    mWidth->setSuffix(QStringLiteral(" mm"));
    mIncludeWidth = new QCheckBox(T("Einbeziehen", "Include", "Inclure"), channel);
    mIncludeWidth->setObjectName(QStringLiteral("CB_ISO"));
    connect(mIncludeWidth, &QCheckBox::toggled, this, &TUmrissDlg::updateWidthField);
    auto* channelRow = new QHBoxLayout(channel);
    channelRow->addWidget(mWidth);
    channelRow->addWidget(mIncludeWidth);
    mPasses = new TDurchgaenge(this);
    mMetric = MetricUnitsBox(this);

    auto* texts = new QGroupBox(T("Texte", "Text", "Textes"), this);
    mNormalTexts =
        MillTextChoice(texts, T("Normal:", "Normal:", "Normal :"), "RB_Text_Out", "RB_Text_Single", mTextSingle);
    mMarkedTexts = MillTextChoice(texts, T("Markiert:", "Marked:", "Marqués :"), "RB_MText_Out",
                              "RB_MText_Single", mMarkedTextSingle);
    auto* textRow = new QHBoxLayout(texts);
    textRow->addWidget(mNormalTexts);
    textRow->addWidget(mMarkedTexts);

    mDrills = new QGroupBox(T("Bohrungen", "Drillings", "Perçages"), this);
    mDrillsNone = radio(mDrills, "RB_Bohrungen_Keine", T("Keine Ausgabe", "No output", "Pas de sortie"));
    mDrillsOne = radio(mDrills, "RB_Bohrungen_Extra",
                       T("Alle Bohrungen in einer Extradatei", "All drillings in a extra file",
                         "Tous les perçages dans un fichier séparé"));
    mDrillsEach = radio(mDrills, "RB_Bohrungen_AlleExtra",
                        T("Je Durchmesser eine Extradatei", "Each diameter in a extra file",
                          "Un fichier séparé par diamètre"));
    mDrillsNone->setChecked(true);
    auto* drillCol = new QVBoxLayout(mDrills);
    drillCol->addWidget(mDrillsNone);
    drillCol->addWidget(mDrillsOne);
    drillCol->addWidget(mDrillsEach);
    mCentring = new QCheckBox(T("Zentrierkörnungen für Bohrungen", "Mark drill holes for centering",
                                "Pointer les perçages pour le centrage"),
                              this);
    mCentring->setObjectName(QStringLiteral("CB_Zentrierung"));

    mCorners = new TPassBohrungen(this);
    mMirror = new TSpiegeln(this);

    auto* grid = new QGridLayout;
    grid->addWidget(layers, 0, 0);
    grid->addWidget(channel, 0, 1);
    grid->addWidget(texts, 1, 0);
    grid->addWidget(mDrills, 1, 1);
    grid->addWidget(mCentring, 2, 1);
    grid->addWidget(mPasses, 2, 0);
    grid->addWidget(mCorners, 3, 0);
    grid->addWidget(mMirror, 3, 1);
    grid->addWidget(mMetric, 4, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Milling));
    updateWidthField();
}

void TUmrissDlg::updateWidthField()
{
    const bool on = mIncludeWidth->isChecked();
    mWidth->setEnabled(on);
    mWidth->setStyleSheet(on ? QStringLiteral("QDoubleSpinBox { background: #000000; color: #FFFF00; }")
                             : QStringLiteral("QDoubleSpinBox { background: #808080; color: #C0C0C0; }"));
}

void TUmrissDlg::prepare(const TBoard& board, QColor k1, QColor k2)
{
    // The layer choices sit on panels of their copper colours.
    for (auto [button, colour] : {std::pair{mK1, k1}, std::pair{mK2, k2}})
        button->setStyleSheet(
            QStringLiteral("QRadioButton { background: %1; padding: 3px; }").arg(colour.name()));
    auto any = [&](auto&& pred) {
        return std::any_of(board.Elements.begin(), board.Elements.end(),
                           [&](const auto& e) { return pred(*e); });
    };
    mNormalTexts->setEnabled(any(
        [](const TObjekt& e) { return e.Kind == KindLayoutText && !e.Selected && IsCopperLayer(e.Layer); }));
    mMarkedTexts->setEnabled(any(
        [](const TObjekt& e) { return e.Kind == KindLayoutText && e.Selected && IsCopperLayer(e.Layer); }));
    const bool pads = any([](const TObjekt& e) { return e.Kind == KindPad && IsCopperLayer(e.Layer); });
    mDrills->setEnabled(pads);
    mCentring->setEnabled(pads);
}

MillingOptions TUmrissDlg::millingOptions() const
{
    MillingOptions o;
    o.layer = mK2->isChecked() ? LayerK2 : LayerK1;
    o.width = mIncludeWidth->isChecked() ? RoundHalfEven(mWidth->value() * 100.0) : 0;
    o.singleLineTexts = mTextSingle->isChecked();
    o.singleLineMarkedTexts = mMarkedTextSingle->isChecked();
    return o;
}

PassOptions TUmrissDlg::passOptions() const
{
    return mPasses->passes();
}

HpglOptions TUmrissDlg::hpglOptions(int language) const
{
    HpglOptions o;
    o.language = language;
    o.corners = mCorners->corners();
    o.mirror = mMirror->mirror();
    o.metricUnits = mMetric->isChecked();
    o.centreMarks = mCentring->isEnabled() && mCentring->isChecked();
    if (mDrills->isEnabled())
        o.drills = mDrillsOne->isChecked()
                       ? DrillFiles::One
                       : (mDrillsEach->isChecked() ? DrillFiles::PerDiameter : DrillFiles::None);
    return o;
}

} // namespace trevok
