#pragma once
// "Bohrdaten exportieren": side, unit and number format of the Excellon drill file. The dialog
// lives for the whole run and keeps its choices; it fills the same record as the command line.

#include "output/excellon.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace trevok
{

class TLochDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TLochDlg(QWidget* parent = nullptr);

    DrillOptions options() const;

  private:
    QRadioButton* side1_ = nullptr;    // RB_Best
    QRadioButton* side2_ = nullptr;    // RB_Kupfer
    QRadioButton* mm_ = nullptr;       // RB_MM
    QRadioButton* inch_ = nullptr;     // RB_Zoll
    QRadioButton* format32_ = nullptr; // RB_32
    QRadioButton* format33_ = nullptr; // RB_33
    QCheckBox* leadingZero_ = nullptr; // CB_LeadingZero
};

} // namespace trevok
