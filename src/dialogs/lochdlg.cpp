#include "dialogs/lochdlg.h"

#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trevok
{

TLochDlg::TLochDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TLochDlg"));
    setWindowTitle(T("Bohrdaten exportieren", "Excellon export", "Exportation Excellon"));

    auto group = [this](const QString& caption) {
        auto* g = new QGroupBox(caption, this);
        new QVBoxLayout(g);
        return g;
    };
    auto radio = [](QGroupBox* g, const char* name, const QString& caption) {
        auto* r = new QRadioButton(caption, g);
        r->setObjectName(QString::fromLatin1(name));
        g->layout()->addWidget(r);
        return r;
    };

    QGroupBox* side = group(T("Bohrkoordinaten", "Origin of coordinates", "Coordonnées d´origines"));
    side1_ = radio(side, "RB_Best", T("Von Seite 1 bohren", "Drill from side 1", "Perçage de la face 1"));
    side2_ = radio(side, "RB_Kupfer",
                   T("Von Seite 2 bohren (x-gespiegelt)", "Drill from side 2 (x-mirrored)",
                     "Perçage de la face 2 (inversée-x)"));
    QGroupBox* unit = group(T("Einheit der Bohrkoordinaten", "Unit of measurement", "Unité de mesure"));
    mm_ = radio(unit, "RB_MM", QStringLiteral("mm"));
    inch_ = radio(unit, "RB_Zoll", T("Zoll", "Inch", "Inch"));
    QGroupBox* format =
        group(T("Zahlenformat (Vorkomma.Nachkomma)", "Floating point (xx.yy)", "Point flottant (xx.yy)"));
    format32_ = radio(format, "RB_32", QStringLiteral("3.2"));
    format33_ = radio(format, "RB_33", QStringLiteral("3.3"));
    leadingZero_ = new QCheckBox(
        T("Führende Nullen entfernen", "Delete leading zeros", "Effacer zéros d´entête"), format);
    leadingZero_->setObjectName(QStringLiteral("CB_LeadingZero"));
    format->layout()->addWidget(leadingZero_);

    // The unit brings its usual number format; the user may change it afterwards.
    connect(mm_, &QRadioButton::clicked, this, [this] { format32_->setChecked(true); });
    connect(inch_, &QRadioButton::clicked, this, [this] { format33_->setChecked(true); });

    auto* note =
        new QLabel(T("Bohrdaten werden in das EXCELLON-Format exportiert.",
                     "Drill data uses EXCELLON format.", "Les données de perçage sont au format EXCELLON."),
                   this);
    note->setObjectName(QStringLiteral("L_Hinweis"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(side);
    layout->addWidget(unit);
    layout->addWidget(format);
    layout->addWidget(note);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::Drill));

    side1_->setChecked(true);
    mm_->setChecked(true);
    format32_->setChecked(true);
    leadingZero_->setChecked(true);
}

DrillOptions TLochDlg::options() const
{
    DrillOptions o;
    o.side2 = side2_->isChecked();
    o.inch = inch_->isChecked();
    o.decimals = format33_->isChecked() ? 3 : 2;
    o.removeLeadingZeros = leadingZero_->isChecked();
    return o;
}

} // namespace trevok
