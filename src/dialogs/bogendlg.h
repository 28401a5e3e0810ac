#pragma once
// "Kreisbogen...": start and stop angle, diameter and fill of the selected circles.

#include "edit/editcommands.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace trevok
{

class TBogenDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TBogenDlg(QWidget* parent = nullptr);

    /// Fills the fields; the shown mean radius is kept for applying.
    void setSettings(const ArcSettings& settings);
    ArcSettings settings() const;

    QSpinBox* startAngle() const noexcept { return start_; }        // SE_StartWinkel
    QSpinBox* stopAngle() const noexcept { return stop_; }          // SE_StopWinkel
    QDoubleSpinBox* diameter() const noexcept { return diameter_; } // SE_Durchmesser
    QCheckBox* filled() const noexcept { return filled_; }          // CB_Fuellung
    QLabel* fillWarning() const noexcept { return warning_; }       // L_Fuellung

  private:
    QSpinBox* start_;
    QSpinBox* stop_;
    QDoubleSpinBox* diameter_;
    QCheckBox* filled_;
    QLabel* warning_;
    std::int32_t shownMeanRadius_ = 0;
};

/// The whole command: fills the dialog from the selected circles of the current board, shows it
/// and applies OK. Nothing happens without a selected circle. `ask` replaces the modal run
/// (tests); it gets the filled dialog and returns whether OK was pressed.
EditResult RunArcDialog(QWidget* parent, TProject& project, const std::function<bool(TBogenDlg&)>& ask = {});

} // namespace trevok
