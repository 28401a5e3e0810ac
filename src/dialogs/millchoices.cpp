#include "dialogs/millchoices.h"

#include "view/texts.h"

#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
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
        mButtons[static_cast<std::size_t>(i)] = b;
        mLabels[static_cast<std::size_t>(i)] = l;
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
    c.topLeft = mButtons[0]->isChecked();
    c.topRight = mButtons[1]->isChecked();
    c.bottomLeft = mButtons[2]->isChecked();
    c.bottomRight = mButtons[3]->isChecked();
    return c;
}

void TPassBohrungen::setCorners(const RefCorners& c)
{
    const bool down[4] = {c.topLeft, c.topRight, c.bottomLeft, c.bottomRight};
    for (std::size_t i = 0; i < 4; ++i) {
        mButtons[i]->setChecked(down[i]);
        mLabels[i]->setEnabled(down[i]);
    }
}

TSpiegeln::TSpiegeln(QWidget* parent) : QGroupBox(T("Spiegeln", "Mirror", "Miroir"), parent)
{
    mNone = new QRadioButton(T("Nicht spiegeln", "None", "Aucun"), this);
    mNone->setObjectName(QStringLiteral("RB_Spiegeln_Aus"));
    mX = new QRadioButton(T("X-Richtung spiegeln", "Mirror horizontal", "Miroir horizontal"), this);
    mX->setObjectName(QStringLiteral("RB_Spiegel_X"));
    mY = new QRadioButton(T("Y-Richtung spiegeln", "Mirror vertical", "Miroir vertical"), this);
    mY->setObjectName(QStringLiteral("RB_Spiegel_Y"));
    mNone->setChecked(true);
    auto* l = new QVBoxLayout(this);
    l->addWidget(mNone);
    l->addWidget(mX);
    l->addWidget(mY);
}

MillMirror TSpiegeln::mirror() const
{
    return mX->isChecked() ? MillMirror::X : (mY->isChecked() ? MillMirror::Y : MillMirror::None);
}

} // namespace trevok
