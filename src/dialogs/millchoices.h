#pragma once
// The choices both milling dialogs share: the registration-hole corners ("Pass-Bohrungen") and
// the mirror group ("Spiegeln").

#include "output/hpgl.h"

#include <QGroupBox>

#include <array>

class QLabel;
class QRadioButton;
class QToolButton;

namespace trevok
{

/// Four corner buttons around a board symbol; each corner's label is enabled while its button
/// is down. Only the lower left is down at first.
class TPassBohrungen : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TPassBohrungen(QWidget* parent = nullptr);
    RefCorners corners() const;
    void setCorners(const RefCorners& c);
    /// SB_Nullpunkt_OL, _OR, _UL, _UR in this order.
    QToolButton* button(int i) const { return mButtons[static_cast<std::size_t>(i)]; }
    QLabel* label(int i) const { return mLabels[static_cast<std::size_t>(i)]; }

  private:
    std::array<QToolButton*, 4> mButtons{};
    std::array<QLabel*, 4> mLabels{};
};

/// "Nicht spiegeln", "X-Richtung spiegeln", "Y-Richtung spiegeln".
class TSpiegeln : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TSpiegeln(QWidget* parent = nullptr);
    MillMirror mirror() const;

  private:
    QRadioButton* mNone;
    QRadioButton* mX;
    QRadioButton* mY;
};

} // namespace trevok
