#pragma once
// The board navigator: a small picture of the board with the visible area on it. Dragging the
// visible area scrolls the view; a click on it zooms in (left) or out (right).

#include <QRect>
#include <QWidget>

namespace trevok
{

class ViewModel;

class Navigator : public QWidget
{
    Q_OBJECT
  public:
    explicit Navigator(ViewModel& view, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    /// The visible-area rectangle as drawn (the dragged position while a drag is under way).
    QRect visibleRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void viewChanged(unsigned changes);
    void dragTo(QPoint widgetPos);

    ViewModel& view_;
    bool pressed_ = false;
    bool dragged_ = false;
    QPoint pressPos_;
    QPoint grab_;        // the press position inside the visible-area rectangle
    QPoint dragTopLeft_; // relative to the board rectangle, while dragging
};

} // namespace trevok
