#include "dialogs/konturfraesendlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace trevok
{

TKonturFraesenDlg::TKonturFraesenDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KonturFraesenDlg"));
    setWindowTitle(T("Platinenkontur", "PCB outline", "Contour de la carte"));
    auto* options = new QGroupBox(T("Optionen", "Options", "Options"), this);
    corners_ = new TPassBohrungen(options);
    mirror_ = new TSpiegeln(options);
    auto* row = new QHBoxLayout(options);
    row->addWidget(corners_);
    row->addWidget(mirror_);
    metric_ = MetricUnitsBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(metric_);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Milling));
}

HpglOptions TKonturFraesenDlg::hpglOptions(int language) const
{
    HpglOptions o;
    o.language = language;
    o.corners = corners_->corners();
    o.mirror = mirror_->mirror();
    o.metricUnits = metric_->isChecked();
    return o;
}

} // namespace trevok
