#include "dialogs/txtdlg.h"

#include "dialogs/cp1252validator.h"
#include "dialogs/decimalspinbox.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trevok
{

TTXT_Dlg::TTXT_Dlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TXT_Dlg"));
    setWindowTitle(T("Texteingabe", "Text input", "Saisie du texte"));

    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("Edit1"));
    text_->setMaxLength(static_cast<int>(MaxFontTextBytes));
    text_->setValidator(new Cp1252Validator(text_));
    height_ = new DecimalSpinBox(this);
    height_->setObjectName(QStringLiteral("SE_Hoehe"));
    height_->setDecimals(1);
    height_->setRange(MinFontTextHeightMm, MaxFontTextHeightMm);
    height_->setSingleStep(0.1);

    auto* form = new QFormLayout;
    form->addRow(T("Text:", "Text:", "Texte :"), text_);
    form->addRow(T("Höhe [mm]:", "Height (mm):", "Hauteur (mm) :"), height_);

    auto* turn = new QGroupBox(T("Ausrichtung", "Orientation", "Orientation"), this);
    turn->setObjectName(QStringLiteral("GB_Ausrichtung"));
    auto* turnLayout = new QHBoxLayout(turn);
    const char* names[4] = {"RB_0", "RB_90", "RB_180", "RB_270"};
    for (int i = 0; i < 4; ++i) {
        orientation_[i] = new QRadioButton(QString::number(i * 90) + QStringLiteral("°"), turn);
        orientation_[i]->setObjectName(QString::fromLatin1(names[i]));
        turnLayout->addWidget(orientation_[i]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(turn);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::LayoutText));
    setSettings(FontTextSettings{});
}

void TTXT_Dlg::setSettings(const FontTextSettings& s)
{
    text_->setText(fromCp1252(s.text).left(static_cast<int>(MaxFontTextBytes)));
    height_->setValue(s.heightMm);
    const int quarter = ((s.angle / 90) % 4 + 4) % 4;
    orientation_[quarter]->setChecked(true);
}

FontTextSettings TTXT_Dlg::settings() const
{
    FontTextSettings s;
    s.text = toCp1252(text_->text());
    s.heightMm = height_->value();
    for (int i = 0; i < 4; ++i)
        if (orientation_[i]->isChecked())
            s.angle = i * 90;
    return s;
}

bool TTXT_Dlg::edit(FontTextSettings& settings, const std::function<bool(TTXT_Dlg&)>& ask)
{
    setSettings(settings);
    text_->selectAll();
    text_->setFocus();
    const bool ok = ask ? ask(*this) : exec() == QDialog::Accepted;
    if (ok)
        settings = this->settings();
    return ok;
}

} // namespace trevok
