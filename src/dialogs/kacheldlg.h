#pragma once
// "Kacheln": how many copies of the board the print puts side by side, and their distance.

#include <QDialog>

#include <cstdint>

class QDoubleSpinBox;
class QSpinBox;

namespace trevok
{

class TKachel_Dlg : public QDialog
{
    Q_OBJECT
  public:
    /// Shows the counts (1..20) and the gap (units, shown in mm, 0..50 mm).
    TKachel_Dlg(int tilesX, int tilesY, std::int32_t gap, QWidget* parent = nullptr);

    int tilesX() const;
    int tilesY() const;
    /// The gap in units: Round(mm * 100).
    std::int32_t gap() const;

    QSpinBox* xField() const noexcept { return x_; }
    QSpinBox* yField() const noexcept { return y_; }
    QDoubleSpinBox* gapField() const noexcept { return gap_; }

  private:
    QSpinBox* x_;
    QSpinBox* y_;
    QDoubleSpinBox* gap_;
};

} // namespace trevok
