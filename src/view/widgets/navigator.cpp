#include "view/widgets/navigator.h"

#include "view/colours.h"
#include "view/viewmodel.h"

#include <QMouseEvent>
#include <QPainter>

namespace trevok
{

Navigator::Navigator(ViewModel& view, QWidget* parent) : QWidget(parent), view_(view)
{
    setFixedSize(sizeHint());
    setMouseTracking(false);
    connect(&view_, &ViewModel::changed, this, &Navigator::viewChanged);
}

QSize Navigator::sizeHint() const
{
    return {NavigatorAreaWidth, NavigatorAreaWidth};
}

void Navigator::viewChanged(unsigned changes)
{
    constexpr unsigned relevant = ViewModel::SurfaceChanged | ViewModel::ViewportChanged |
                                  ViewModel::ScrollChanged | ViewModel::ZoomChanged;
    if (changes & relevant)
        update();
}

QRect Navigator::visibleRect() const
{
    const NavigatorGeometry g = view_.navigator();
    if (pressed_ && dragged_)
        return QRect(g.board.topLeft() + dragTopLeft_, g.visible.size());
    return g.visible;
}

void Navigator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const NavigatorGeometry g = view_.navigator();
    p.setPen(palette().color(QPalette::Dark));
    p.setBrush(Qt::NoBrush);
    p.drawRect(g.frame.adjusted(0, 0, -1, -1));
    const QColor background = CurrentColours().qcolor(ColourBackground);
    p.fillRect(g.board, background);
    // The visible area, clipped to the board, outlined in a colour that stands out against the
    // board background.
    const QRect visible = visibleRect().intersected(g.board);
    if (!visible.isEmpty()) {
        const QColor mark = background.lightness() < 128 ? QColor(255, 255, 255) : QColor(0, 0, 0);
        QColor fill = mark;
        fill.setAlpha(50);
        p.fillRect(visible, fill);
        p.setPen(mark);
        p.drawRect(visible.adjusted(0, 0, -1, -1));
    }
}

void Navigator::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const NavigatorGeometry g = view_.navigator();
    const QRect visible = g.visible.intersected(g.board);
    if (event->button() == Qt::RightButton) {
        if (visible.contains(pos))
            view_.navigatorClick(true);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (visible.contains(pos)) {
        pressed_ = true;
        dragged_ = false;
        pressPos_ = pos;
        grab_ = pos - g.visible.topLeft();
    } else if (g.board.contains(pos)) {
        // A press on the board beside the visible area brings the area there and goes on as a
        // drag, so that it never counts as a zoom click.
        pressed_ = true;
        dragged_ = true;
        pressPos_ = pos;
        grab_ = QPoint(g.visible.width() / 2, g.visible.height() / 2);
        dragTo(pos);
    }
}

void Navigator::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const QPoint pos = event->position().toPoint();
    if (!dragged_ && pos == pressPos_)
        return;
    dragged_ = true;
    dragTo(pos);
}

void Navigator::dragTo(QPoint widgetPos)
{
    const NavigatorGeometry g = view_.navigator();
    dragTopLeft_ = view_.navigatorDragTo(widgetPos - grab_ - g.board.topLeft());
    update();
}

void Navigator::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    const bool click = !dragged_;
    pressed_ = false;
    dragged_ = false;
    if (click)
        view_.navigatorClick(false);
    update();
}

} // namespace trevok
