#pragma once
// "Vieleck generieren": the settings of the regular polygon tool.

#include "edit/editcommands.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

namespace trevok
{

class TVielEckDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TVielEckDlg(QWidget* parent = nullptr);

    void setSettings(const PolygonSettings& settings);
    PolygonSettings settings() const;

    /// Shows the session's settings and, on OK, stores the entered ones back; false on Cancel
    /// (the settings stay as they were). `ask` replaces the modal run (tests).
    bool edit(PolygonSettings& settings, const std::function<bool(TVielEckDlg&)>& ask = {});

    QSpinBox* corners() const noexcept { return corners_; }          // SE_Ecken
    QDoubleSpinBox* radius() const noexcept { return radius_; }      // SE_Radius
    QDoubleSpinBox* angleOffset() const noexcept { return offset_; } // SE_WinkelOffset
    QDoubleSpinBox* lineWidth() const noexcept { return width_; }    // SE_Linienbreite
    QCheckBox* filled() const noexcept { return filled_; }           // CB_Gefuellt

  private:
    QSpinBox* corners_;
    QDoubleSpinBox* radius_;
    QDoubleSpinBox* offset_;
    QDoubleSpinBox* width_;
    QCheckBox* filled_;
};

} // namespace trevok
