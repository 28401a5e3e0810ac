#include "dialogs/bogendlg.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "document/objekt.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trevok
{

TBogenDlg::TBogenDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BogenDlg"));
    setWindowTitle(T("Kreisbogen", "Arc", "Arc de cercle"));

    auto* note = new QLabel(
        T("Der Bogen wird vom Startwinkel in Richtung Stopwinkel gegen den Uhrzeigersinn gezeichnet.",
          "The arc is drawn anticlockwise from the start angle to the stop angle.",
          "L'arc est tracé dans le sens inverse des aiguilles d'une montre, de l'angle de "
          "départ vers l'angle d'arrivée."),
        this);
    note->setWordWrap(true);

    start_ = new QSpinBox(this);
    stop_ = new QSpinBox(this);
    start_->setObjectName(QStringLiteral("SE_StartWinkel"));
    stop_->setObjectName(QStringLiteral("SE_StopWinkel"));
    for (QSpinBox* s : {start_, stop_}) {
        s->setRange(0, 359);
        s->setSuffix(QStringLiteral(" °"));
        // Turning past a full circle is what a user of an angle field expects.
        s->setWrapping(true);
    }
    diameter_ = new DecimalSpinBox(this);
    diameter_->setObjectName(QStringLiteral("SE_Durchmesser"));
    diameter_->setDecimals(2);
    diameter_->setRange(MinArcDiameterMm, MaxArcDiameterMm);
    diameter_->setSingleStep(0.01);

    filled_ = new QCheckBox(T("Gefüllt", "Filled", "Rempli"), this);
    filled_->setObjectName(QStringLiteral("CB_Fuellung"));
    warning_ = new QLabel(T("Kein Gerber-Export für gefüllte Kreisbögen", "No Gerber export for filled arcs",
                            "Pas d'export Gerber pour les arcs remplis"),
                          this);
    warning_->setObjectName(QStringLiteral("L_Fuellung"));
    warning_->setEnabled(false);
    connect(filled_, &QCheckBox::toggled, warning_, &QWidget::setEnabled);

    auto* form = new QFormLayout;
    form->addRow(T("Startwinkel:", "Start angle:", "Angle de départ:"), start_);
    form->addRow(T("Stopwinkel:", "Stop angle:", "Angle d'arrivée:"), stop_);
    form->addRow(T("Durchmesser [mm]:", "Diameter (mm):", "Diamètre (mm):"), diameter_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addWidget(filled_);
    layout->addWidget(warning_);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Arc));
}

void TBogenDlg::setSettings(const ArcSettings& s)
{
    start_->setValue(std::clamp(s.startAngle, 0, 359));
    stop_->setValue(std::clamp(s.stopAngle, 0, 359));
    diameter_->setValue(s.diameterMm);
    filled_->setChecked(s.filled);
    warning_->setEnabled(s.filled);
    shownMeanRadius_ = s.shownMeanRadius;
}

ArcSettings TBogenDlg::settings() const
{
    ArcSettings s;
    s.startAngle = start_->value();
    s.stopAngle = stop_->value();
    s.diameterMm = diameter_->value();
    s.filled = filled_->isChecked();
    s.shownMeanRadius = shownMeanRadius_;
    return s;
}

EditResult RunArcDialog(QWidget* parent, TProject& project, const std::function<bool(TBogenDlg&)>& ask)
{
    const TBoard* board = project.currentBoard();
    if (!board)
        return {};
    const std::optional<ArcSettings> shown = arcDialogValues(*board);
    if (!shown)
        return {};
    TBogenDlg dialog(parent);
    dialog.setSettings(*shown);
    const bool ok = ask ? ask(dialog) : dialog.exec() == QDialog::Accepted;
    if (!ok)
        return {};
    return applyArcSettings(project, dialog.settings());
}

} // namespace trevok
