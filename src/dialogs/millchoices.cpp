#include "dialogs/millchoices.h"

#include "view/texts.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace trevok
{

TPassBohrungen::TPassBohrungen(QWidget* parent)
    : QGroupBox(T("Pass-Bohrungen", "Reference holes", "Trous de référence"), parent)
{
    static const char* const names[4] = {"SB_Nullpunkt_OL", "SB_Nullpunkt_OR", "SB_Nullpunkt_UL",
                                         "SB_Nullpunkt_UR"};
    const QString captions[4] = {
        T("Oben / Links", "Top/Left", "Haut/Gauche"), T("Oben / Rechts", "Top/Right", "Haut/Droite"),
        T("Unten / Links", "Bottom/Left", "Bas/Gauche"), T("Unten / Rechts", "Bottom/Right", "Bas/Droite")};
    auto* grid = new QGridLayout(this);
    auto* board = new QLabel(this);
    board->setFrameShape(QFrame::Box);
    board->setMinimumSize(90, 50);
    grid->addWidget(board, 1, 1);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(names[i]));
        b->setCheckable(true);
        b->setText(QStringLiteral("+"));
        auto* l = new QLabel(captions[i], this);
        buttons_[static_cast<std::size_t>(i)] = b;
        labels_[static_cast<std::size_t>(i)] = l;
        const int row = i < 2 ? 0 : 2;
        const int col = (i % 2) ? 2 : 0;
        auto* cell = new QVBoxLayout;
        cell->addWidget(b, 0, Qt::AlignHCenter);
        cell->addWidget(l, 0, Qt::AlignHCenter);
        grid->addLayout(cell, row, col);
        connect(b, &QToolButton::toggled, l, &QLabel::setEnabled);
    }
    setCorners(RefCorners{});
}

RefCorners TPassBohrungen::corners() const
{
    RefCorners c;
    c.topLeft = buttons_[0]->isChecked();
    c.topRight = buttons_[1]->isChecked();
    c.bottomLeft = buttons_[2]->isChecked();
    c.bottomRight = buttons_[3]->isChecked();
    return c;
}

void TPassBohrungen::setCorners(const RefCorners& c)
{
    const bool down[4] = {c.topLeft, c.topRight, c.bottomLeft, c.bottomRight};
    for (std::size_t i = 0; i < 4; ++i) {
        buttons_[i]->setChecked(down[i]);
        labels_[i]->setEnabled(down[i]);
    }
}

TSpiegeln::TSpiegeln(QWidget* parent) : QGroupBox(T("Spiegeln", "Mirror", "Miroir"), parent)
{
    none_ = new QRadioButton(T("Nicht spiegeln", "None", "Aucun"), this);
    none_->setObjectName(QStringLiteral("RB_Spiegeln_Aus"));
    x_ = new QRadioButton(T("X-Richtung spiegeln", "Mirror horizontal", "Miroir horizontal"), this);
    x_->setObjectName(QStringLiteral("RB_Spiegel_X"));
    y_ = new QRadioButton(T("Y-Richtung spiegeln", "Mirror vertical", "Miroir vertical"), this);
    y_->setObjectName(QStringLiteral("RB_Spiegel_Y"));
    none_->setChecked(true);
    auto* l = new QVBoxLayout(this);
    l->addWidget(none_);
    l->addWidget(x_);
    l->addWidget(y_);
}

MillMirror TSpiegeln::mirror() const
{
    return x_->isChecked() ? MillMirror::X : (y_->isChecked() ? MillMirror::Y : MillMirror::None);
}

QGroupBox* MillTextChoice(QWidget* parent, const QString& heading, const char* outName,
                          const char* singleName, QRadioButton*& single)
{
    auto* g = new QGroupBox(heading, parent);
    auto* l = new QVBoxLayout(g);
    auto* out = new QRadioButton(QStringLiteral("Outline"), g);
    out->setObjectName(QString::fromLatin1(outName));
    single = new QRadioButton(QStringLiteral("Singleline"), g);
    single->setObjectName(QString::fromLatin1(singleName));
    out->setChecked(true);
    l->addWidget(out);
    l->addWidget(single);
    return g;
}

TDurchgaenge::TDurchgaenge(QWidget* parent) : QGroupBox(T("Durchgänge", "Passes", "Passes"), parent)
{
    passes_ = new QSpinBox(this);
    passes_->setObjectName(QStringLiteral("SE_Durchgaenge"));
    passes_->setRange(0, kMaxPasses);
    passes_->setValue(1);
    // 0 is shown as a word: repeat until nothing is left to mill.
    passes_->setSpecialValueText(T("bis alles frei", "until all clear", "jusqu'au dégagement complet"));
    overlap_ = new QSpinBox(this);
    overlap_->setObjectName(QStringLiteral("SE_Ueberlappung"));
    overlap_->setRange(0, kMaxOverlapPercent);
    overlap_->setSingleStep(10);
    overlap_->setSuffix(QStringLiteral(" %"));
    auto* form = new QFormLayout(this);
    form->addRow(T("Anzahl:", "Number:", "Nombre :"), passes_);
    form->addRow(T("Überlappung:", "Overlap:", "Recouvrement :"), overlap_);
}

PassOptions TDurchgaenge::passes() const
{
    return {passes_->value(), overlap_->value()};
}

QCheckBox* MetricUnitsBox(QWidget* parent)
{
    auto* b = new QCheckBox(
        T("40 Einheiten pro mm (HP-GL)", "40 units per mm (HP-GL)", "40 unités par mm (HP-GL)"), parent);
    b->setObjectName(QStringLiteral("CB_Metrisch"));
    return b;
}

void SaveDialogValues(const QWidget& dialog, DialogValues& values)
{
    const QString prefix = dialog.objectName() + QLatin1Char('.');
    auto put = [&](const QString& key, const QString& value) {
        for (auto& [k, v] : values)
            if (k == key) {
                v = value;
                return;
            }
        values.emplace_back(key, value);
    };
    for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->isCheckable() && !b->objectName().isEmpty())
            put(prefix + b->objectName(), b->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QSpinBox* s : dialog.findChildren<QSpinBox*>())
        if (!s->objectName().isEmpty())
            put(prefix + s->objectName(), QString::number(s->value()));
    for (const QDoubleSpinBox* s : dialog.findChildren<QDoubleSpinBox*>())
        if (!s->objectName().isEmpty())
            put(prefix + s->objectName(), QString::number(s->value(), 'f', s->decimals()));
}

void RestoreDialogValues(QWidget& dialog, const DialogValues& values)
{
    const QString prefix = dialog.objectName() + QLatin1Char('.');
    for (const auto& [key, value] : values) {
        if (!key.startsWith(prefix))
            continue;
        const QString name = key.mid(prefix.size());
        bool ok = false;
        if (auto* b = dialog.findChild<QAbstractButton*>(name); b && b->isCheckable()) {
            const int on = value.toInt(&ok);
            // A radio button is restored by checking the chosen one; unchecking does nothing.
            if (ok && (on || !b->autoExclusive()))
                b->setChecked(on != 0);
        } else if (auto* s = dialog.findChild<QSpinBox*>(name)) {
            const int v = value.toInt(&ok);
            if (ok)
                s->setValue(v); // clamped to the box's range, so a hand-edited file cannot break it
        } else if (auto* d = dialog.findChild<QDoubleSpinBox*>(name)) {
            const double v = value.toDouble(&ok);
            if (ok)
                d->setValue(v);
        }
    }
}

} // namespace trevok
