#pragma once
// The choices the milling dialogs share: the registration-hole corners ("Pass-Bohrungen"), the
// mirror group ("Spiegeln"), how texts are milled, the passes, and keeping the dialogs' values in
// the settings file.

#include "output/hpgl.h"
#include "output/millpasses.h"

#include <QGroupBox>

#include <array>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;
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
    QToolButton* button(int i) const { return buttons_[static_cast<std::size_t>(i)]; }
    QLabel* label(int i) const { return labels_[static_cast<std::size_t>(i)]; }

  private:
    std::array<QToolButton*, 4> buttons_{};
    std::array<QLabel*, 4> labels_{};
};

/// "Nicht spiegeln", "X-Richtung spiegeln", "Y-Richtung spiegeln".
class TSpiegeln : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TSpiegeln(QWidget* parent = nullptr);
    MillMirror mirror() const;

  private:
    QRadioButton* none_;
    QRadioButton* x_;
    QRadioButton* y_;
};

/// "Outline" / "Singleline" under a heading, the first chosen; single is the second button.
QGroupBox* MillTextChoice(QWidget* parent, const QString& heading, const char* outName,
                          const char* singleName, QRadioButton*& single);

/// "Durchgänge" (SE_Durchgaenge, 0 = until the board is milled) and "Überlappung"
/// (SE_Ueberlappung, percent) of the isolation passes.
class TDurchgaenge : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TDurchgaenge(QWidget* parent = nullptr);
    PassOptions passes() const;

  private:
    QSpinBox* passes_;
    QSpinBox* overlap_;
};

/// "40 Einheiten pro mm (HP-GL)": the plotter unit of HPGL files.
QCheckBox* MetricUnitsBox(QWidget* parent);

/// The values of a dialog's named controls (check boxes, radio and tool buttons, spin boxes) as
/// settings keys "<dialog>.<control>", so that the dialog opens as it was left, also in the
/// next run.
using DialogValues = std::vector<std::pair<QString, QString>>;
void SaveDialogValues(const QWidget& dialog, DialogValues& values);
void RestoreDialogValues(QWidget& dialog, const DialogValues& values);

} // namespace trevok
