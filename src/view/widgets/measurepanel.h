#pragma once
// P_Messen: the small panel that follows the cursor of the measuring tool with the distance,
// the angle against the horizontal and the two offsets.

#include "edit/sessionview.h"

#include <QFrame>

class QLabel;

namespace trevok
{

class MeasurePanelWidget : public QFrame
{
    Q_OBJECT
  public:
    /// A child of the drawing area's viewport; hidden until the first showPanel.
    explicit MeasurePanelWidget(QWidget* parent = nullptr);

    /// Shows the values and places the panel by the cursor (pixels in the parent): its top 20
    /// pixels below the cursor or its bottom at it, its left 20 pixels right of it or its right
    /// edge at it, as the data says.
    void showPanel(const MeasurePanel& data, QPoint cursorPixel);
    /// Where the panel goes for a cursor position and size, for the same rule.
    static QPoint placement(const MeasurePanel& data, QPoint cursorPixel, QSize size) noexcept;

    QLabel* dxLabel() const noexcept { return dx_; }             // L_DX
    QLabel* dyLabel() const noexcept { return dy_; }             // L_DY
    QLabel* distanceLabel() const noexcept { return distance_; } // L_Abstand
    QLabel* angleLabel() const noexcept { return angle_; }       // L_Winkel

  private:
    QLabel* dx_;
    QLabel* dy_;
    QLabel* distance_;
    QLabel* angle_;
};

} // namespace trevok
