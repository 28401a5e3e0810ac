#pragma once
// "Raster definieren": asks for the value of a new user grid in millimetres.

#include <QDialog>

class QDoubleSpinBox;

namespace trevok
{

class TRasterDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TRasterDlg(QWidget* parent = nullptr);

    /// The value field (SE_Raster): 0.01 to 99.90 mm, step 0.01, two decimals.
    QDoubleSpinBox* valueField() const noexcept { return value_; }
    /// The field's text as the grid list takes it, e.g. "0.50" (decimal point).
    QString valueText() const;

  private:
    QDoubleSpinBox* value_;
};

} // namespace trevok
