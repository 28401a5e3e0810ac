#include "dialogs/vieleckdlg.h"

#include "dialogs/decimalspinbox.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trevok
{

namespace
{

QDoubleSpinBox* decimalField(QWidget* parent, const char* name, double min, double max)
{
    auto* f = new DecimalSpinBox(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setDecimals(1);
    f->setRange(min, max);
    f->setSingleStep(0.1);
    return f;
}

} // namespace

TVielEckDlg::TVielEckDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("VielEckDlg"));
    setWindowTitle(T("Vieleck generieren", "Generate polygon", "Générer un polygone"));

    corners_ = new QSpinBox(this);
    corners_->setObjectName(QStringLiteral("SE_Ecken"));
    corners_->setRange(3, 99);
    radius_ = decimalField(this, "SE_Radius", 1.0, 99.9);
    offset_ = decimalField(this, "SE_WinkelOffset", -180.0, 180.0);
    width_ = decimalField(this, "SE_Linienbreite", 0.0, 99.9);
    filled_ = new QCheckBox(T("Gefüllt", "Filled", "Rempli"), this);
    filled_->setObjectName(QStringLiteral("CB_Gefuellt"));

    auto* form = new QFormLayout;
    form->addRow(T("Anzahl der Ecken:", "Number of corners:", "Nombre de sommets:"), corners_);
    form->addRow(T("Radius [mm]:", "Radius (mm):", "Rayon (mm):"), radius_);
    form->addRow(T("Winkeloffset [°]:", "Angle offset (°):", "Décalage angulaire (°):"), offset_);
    form->addRow(T("Linienbreite [mm]:", "Line width (mm):", "Largeur de ligne (mm):"), width_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(filled_);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Polygon));
    setSettings(PolygonSettings{});
}

void TVielEckDlg::setSettings(const PolygonSettings& settings)
{
    const PolygonSettings s = limitPolygonSettings(settings);
    corners_->setValue(s.corners);
    radius_->setValue(s.radiusMm);
    offset_->setValue(s.angleOffset);
    width_->setValue(s.lineWidthMm);
    filled_->setChecked(s.filled);
}

PolygonSettings TVielEckDlg::settings() const
{
    PolygonSettings s;
    s.corners = corners_->value();
    s.radiusMm = radius_->value();
    s.angleOffset = offset_->value();
    s.lineWidthMm = width_->value();
    s.filled = filled_->isChecked();
    return limitPolygonSettings(s);
}

bool TVielEckDlg::edit(PolygonSettings& settings, const std::function<bool(TVielEckDlg&)>& ask)
{
    setSettings(settings);
    corners_->setFocus();
    const bool ok = ask ? ask(*this) : exec() == QDialog::Accepted;
    if (ok)
        settings = this->settings();
    return ok;
}

} // namespace trevok
