#include "dialogs/konturfraesendlg.h"

#include "dialogs/help.h"
#include "dialogs/dialogbuttons.h"
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
    mCorners = new TPassBohrungen(options);
    mMirror = new TSpiegeln(options);
    auto* row = new QHBoxLayout(options);
    row->addWidget(mCorners);
    row->addWidget(mMirror);
    mMetric = MetricUnitsBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(mMetric);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Milling));
}

HpglOptions TKonturFraesenDlg::hpglOptions(int language) const
{
    HpglOptions o;
    o.language = language;
    o.corners = mCorners->corners();
    o.mirror = mMirror->mirror();
    o.metricUnits = mMetric->isChecked();
    return o;
}

} // namespace trevok
