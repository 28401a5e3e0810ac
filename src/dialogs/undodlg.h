#pragma once
// "Undo-Tiefe...": how many changes can be undone, 1 to 50.

#include <QDialog>

class QSpinBox;

namespace trevok
{

class TUndoDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TUndoDlg(QWidget* parent = nullptr);

    /// Shows d + 1 (the number of steps), brought into 1..50.
    void setDepth(int d);
    /// The entered number of steps − 1.
    int depth() const;

  private:
    QSpinBox* undo_; // SE_Undo
};

} // namespace trevok
