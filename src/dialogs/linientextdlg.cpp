#include "dialogs/linientextdlg.h"

#include "dialogs/cp1252validator.h"
#include "dialogs/decimalspinbox.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/help.h"
#include "view/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

constexpr int MaxTextLength = 50;
constexpr double MinHeightMm = 0.1;
constexpr double MaxHeightMm = 50.0;
constexpr int MaxStart = 9999;

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, QLayout* layout)
{
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QString::fromLatin1(name));
    layout->addWidget(r);
    return r;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& caption)
{
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

template <std::size_t N> int checkedIndex(QRadioButton* const (&buttons)[N], int fallback)
{
    for (std::size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked())
            return static_cast<int>(i);
    return fallback;
}

} // namespace

TLinienText_Dlg::TLinienText_Dlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LinienText_Dlg"));
    setWindowTitle(T("Texteigenschaften", "Text properties", "Propriétés du texte"));

    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("E_Text"));
    text_->setMaxLength(MaxTextLength);
    text_->setValidator(new Cp1252Validator(text_));
    height_ = new DecimalSpinBox(this);
    height_->setObjectName(QStringLiteral("SE_Hoehe"));
    height_->setDecimals(1);
    height_->setRange(MinHeightMm, MaxHeightMm);
    height_->setSingleStep(0.1);

    auto* form = new QFormLayout;
    form->addRow(T("Text:", "Text:", "Texte :"), text_);
    form->addRow(T("Hoehe [mm]", "Height (mm)", "Hauteur (mm)"), height_);

    QGroupBox* stroke = group(this, "GB_Staerke", T("Stärke", "Thickness", "Épaisseur"));
    auto* strokeLayout = new QVBoxLayout(stroke);
    thickness_[0] = radio(stroke, "RB_Duenn", T("Dünn", "Thin", "Fin"), strokeLayout);
    thickness_[1] = radio(stroke, "RB_Normal", T("Normal", "Normal", "Normal"), strokeLayout);
    thickness_[2] = radio(stroke, "RB_Dick", T("Dick", "Bold", "Gras"), strokeLayout);

    QGroupBox* turn = group(this, "GB_Ausrichtung", T("Ausrichtung", "Orientation", "Orientation"));
    auto* turnLayout = new QVBoxLayout(turn);
    orientation_[0] = radio(turn, "RB_0", QStringLiteral("0°"), turnLayout);
    orientation_[1] = radio(turn, "RB_90", QStringLiteral("90°"), turnLayout);
    orientation_[2] = radio(turn, "RB_180", QStringLiteral("180°"), turnLayout);
    orientation_[3] = radio(turn, "RB_270", QStringLiteral("270°"), turnLayout);

    QGroupBox* mirror = group(this, "GB_Spiegeln", T("Spiegeln", "Mirror", "Miroir"));
    auto* mirrorLayout = new QVBoxLayout(mirror);
    mirrorH_ = new QCheckBox(T("Horizontal", "Horizontal", "Horizontal"), mirror);
    mirrorH_->setObjectName(QStringLiteral("CB_Horz"));
    mirrorV_ = new QCheckBox(T("Vertikal", "Vertical", "Vertical"), mirror);
    mirrorV_->setObjectName(QStringLiteral("CB_Vert"));
    mirrorLayout->addWidget(mirrorH_);
    mirrorLayout->addWidget(mirrorV_);

    QGroupBox* styleBox = group(this, "GB_Stil", T("Stil", "Style", "Style"));
    auto* styleLayout = new QVBoxLayout(styleBox);
    style_[0] = radio(styleBox, "RB_Stil_Eng", T("Eng", "Narrow", "Étroit"), styleLayout);
    style_[1] = radio(styleBox, "RB_Stil_Normal", T("Normal", "Normal", "Normal"), styleLayout);
    style_[2] = radio(styleBox, "RB_Stil_Weit", T("Weit", "Wide", "Large"), styleLayout);

    automatic_ = group(this, "GB_Automatik", T("Automatik", "Automatic", "Automatique"));
    auto* autoLayout = new QFormLayout(automatic_);
    numbering_ = new QCheckBox(
        T("Zahl an Text anhängen", "Append a number to the text", "Ajouter un nombre au texte"), automatic_);
    numbering_->setObjectName(QStringLiteral("CB_WillsteZahl"));
    start_ = new QSpinBox(automatic_);
    start_->setObjectName(QStringLiteral("SE_Start"));
    start_->setRange(0, MaxStart);
    autoLayout->addRow(numbering_);
    autoLayout->addRow(T("Beginnen bei:", "Start at:", "Commencer à :"), start_);

    auto* boxes = new QGridLayout;
    boxes->addWidget(stroke, 0, 0);
    boxes->addWidget(turn, 0, 1);
    boxes->addWidget(styleBox, 0, 2);
    boxes->addWidget(mirror, 1, 0);
    boxes->addWidget(automatic_, 1, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(boxes);
    layout->addWidget(MakeDialogButtons(this, HelpTopic::LayoutText));
    setSettings(LayoutTextSettings{}, 0);
}

void TLinienText_Dlg::setSettings(const LayoutTextSettings& s, int start)
{
    text_->setText(fromCp1252(s.text).left(MaxTextLength));
    height_->setValue(std::isfinite(s.heightMm) ? s.heightMm : LayoutTextSettings{}.heightMm);
    thickness_[std::clamp(s.thickness, 0, 2)]->setChecked(true);
    style_[std::clamp(s.style, 0, 2)]->setChecked(true);
    orientation_[((s.orientation % 4) + 4) % 4]->setChecked(true);
    mirrorH_->setChecked(s.mirrorH);
    mirrorV_->setChecked(s.mirrorV);
    numbering_->setChecked(s.numbering);
    start_->setValue(std::clamp(start, 0, MaxStart));
}

LayoutTextSettings TLinienText_Dlg::settings() const
{
    LayoutTextSettings s;
    s.text = toCp1252(text_->text());
    s.heightMm = height_->value();
    s.thickness = checkedIndex(thickness_, ThicknessNormal);
    s.style = checkedIndex(style_, StyleNormal);
    s.orientation = checkedIndex(orientation_, 0);
    s.mirrorH = mirrorH_->isChecked();
    s.mirrorV = mirrorV_->isChecked();
    s.numbering = automatic_->isEnabled() && numbering_->isChecked();
    return s;
}

int TLinienText_Dlg::start() const
{
    return start_->value();
}

void TLinienText_Dlg::setNumberingAvailable(bool available)
{
    automatic_->setEnabled(available);
}

bool TLinienText_Dlg::edit(LayoutTextSettings& settings, int& start,
                           const std::function<bool(TLinienText_Dlg&)>& ask)
{
    setSettings(settings, start);
    text_->selectAll();
    text_->setFocus();
    const bool ok = ask ? ask(*this) : exec() == QDialog::Accepted;
    if (ok) {
        // The numbering choice is kept even while editing, where it does not apply.
        const bool numbering = settings.numbering;
        settings = this->settings();
        if (!automatic_->isEnabled())
            settings.numbering = numbering;
        start = this->start();
    }
    return ok;
}

} // namespace trevok
