#pragma once
// "Autospeichern": autosave on or off and its interval in whole minutes.

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace trevok
{

class TAutoSaveDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TAutoSaveDlg(QWidget* parent = nullptr);

    /// Opens with the timer's state; the interval is shown as whole minutes (ms div 60000),
    /// brought into 1..60.
    void setValues(bool on, int intervalMs);
    bool autoSaveOn() const;
    /// The interval chosen: minutes × 60000.
    int intervalMs() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void updateEnabled();

    QCheckBox* autoSave_; // RB_AutoSave
    QLabel* explanation_; // clicking it toggles the check box
    QSpinBox* cycle_;     // SE_Zyklus
    QLabel* cycleLabel_;
};

} // namespace trevok
