#pragma once
// A ruler beside the drawing area: ticks every millimetre or tenth of an inch, numbered from the
// board's origin, with a marker that follows the mouse.

#include <QWidget>

namespace trevok
{

class ViewModel;

class Ruler : public QWidget
{
    Q_OBJECT
  public:
    /// Thickness of the rulers in pixels.
    static constexpr int Thickness = 25;
    /// The horizontal ruler leaves this many pixels at its left empty (the corner above the
    /// vertical ruler).
    static constexpr int CornerWidth = 25;

    Ruler(Qt::Orientation orientation, ViewModel& view, QWidget* parent = nullptr);

    Qt::Orientation orientation() const noexcept { return orientation_; }
    /// The ruler pixel at which the viewport of the scroll box begins: 26 for the horizontal
    /// ruler spanning the corner, 2 for the vertical ruler.
    void setViewportOffset(int pixels);
    int viewportOffset() const noexcept { return offset_; }

    /// Puts the position marker at a viewport pixel (x for the horizontal ruler, y for the
    /// vertical one); hideMarker removes it.
    void setMarker(int viewportPixel);
    void hideMarker();
    /// The marker's ruler pixel, or -1 when hidden.
    int markerPosition() const noexcept { return marker_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void viewChanged(unsigned changes);

    Qt::Orientation orientation_;
    ViewModel& view_;
    int offset_;
    int marker_ = -1;
};

} // namespace trevok
