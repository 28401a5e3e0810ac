#pragma once
// "Optionen" of printing: how far solder-mask openings exceed the pads, which pads get openings,
// and the height of the drill-plan labels.

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QDoubleSpinBox;

namespace trevok
{

struct PrintSettings;

class TPrintOptionsDlg : public QDialog
{
    Q_OBJECT
  public:
    /// Shows the mask offsets and text height of the settings (units, shown in mm).
    explicit TPrintOptionsDlg(const PrintSettings& s, QWidget* parent = nullptr);
    /// Stores the fields into the settings (mm * 100, rounded).
    void store(PrintSettings& s) const;

    QDoubleSpinBox* padOffsetField() const noexcept { return pad_; }
    QDoubleSpinBox* smdOffsetField() const noexcept { return smd_; }
    QDoubleSpinBox* textHeightField() const noexcept { return text_; }
    QCheckBox* padsBox() const noexcept { return pads_; }
    QCheckBox* smdPadsBox() const noexcept { return smdPads_; }

  private:
    QDoubleSpinBox* pad_;
    QDoubleSpinBox* smd_;
    QDoubleSpinBox* text_;
    QCheckBox* pads_;
    QCheckBox* smdPads_;
};

} // namespace trevok
