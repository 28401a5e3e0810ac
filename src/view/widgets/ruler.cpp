#include "view/widgets/ruler.h"

#include "view/viewmodel.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace trevok
{

namespace
{

QFont rulerFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    return f;
}

} // namespace

Ruler::Ruler(Qt::Orientation orientation, ViewModel& view, QWidget* parent)
    : QWidget(parent), orientation_(orientation), view_(view), offset_(orientation == Qt::Horizontal ? 26 : 2)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    if (orientation == Qt::Horizontal)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    connect(&view_, &ViewModel::changed, this, &Ruler::viewChanged);
}

void Ruler::setViewportOffset(int pixels)
{
    if (pixels == offset_)
        return;
    offset_ = pixels;
    update();
}

void Ruler::viewChanged(unsigned changes)
{
    constexpr unsigned relevant = ViewModel::SurfaceChanged | ViewModel::ViewportChanged |
                                  ViewModel::ScrollChanged | ViewModel::ZoomChanged | ViewModel::UnitChanged |
                                  ViewModel::OriginChanged;
    if (changes & relevant)
        update();
}

void Ruler::setMarker(int viewportPixel)
{
    const int pos = viewportPixel + offset_;
    if (pos == marker_)
        return;
    const int old = marker_;
    marker_ = pos;
    // Only the strips of the old and the new marker need repainting.
    for (const int p : {old, pos}) {
        if (p < 0)
            continue;
        if (orientation_ == Qt::Horizontal)
            update(p - 1, 0, 3, height());
        else
            update(0, p - 1, width(), 3);
    }
}

void Ruler::hideMarker()
{
    if (marker_ < 0)
        return;
    const int old = marker_;
    marker_ = -1;
    if (orientation_ == Qt::Horizontal)
        update(old - 1, 0, 3, height());
    else
        update(0, old - 1, width(), 3);
}

QSize Ruler::sizeHint() const
{
    return orientation_ == Qt::Horizontal ? QSize(200, Thickness) : QSize(Thickness + 1, 200);
}

void Ruler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(rulerFont());
    const QFontMetrics fm(p.font());
    const QColor ink = palette().color(QPalette::ButtonText);
    p.setPen(ink);
    const int w = width();
    const int h = height();

    if (orientation_ == Qt::Horizontal) {
        // The corner above the vertical ruler stays empty.
        p.setClipRect(CornerWidth, 0, w - CornerWidth, h);
        for (const RulerTick& t : view_.horizontalTicks(offset_, w)) {
            p.drawLine(t.pos, h - 1, t.pos, h - t.length);
            if (t.labelled) {
                const int tw = fm.horizontalAdvance(t.label);
                // Right end 2 pixels left of the tick, bottom 3 pixels above the ruler's bottom.
                p.drawText(t.pos - 2 - tw, h - 3 - fm.descent(), t.label);
            }
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(CornerWidth, h - 1, w, h - 1);
    } else {
        for (const RulerTick& t : view_.verticalTicks(h, offset_)) {
            p.drawLine(w - 1, t.pos, w - t.length, t.pos);
            if (t.labelled) {
                const int tw = fm.horizontalAdvance(t.label);
                p.drawText(w - 3 - tw, t.pos - fm.descent(), t.label);
            }
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(w - 1, 0, w - 1, h);
    }

    if (marker_ >= 0) {
        p.setClipping(false);
        p.setPen(QPen(QColor(200, 0, 0), 1));
        if (orientation_ == Qt::Horizontal)
            p.drawLine(marker_, 0, marker_, h - 1);
        else
            p.drawLine(0, marker_, w - 1, marker_);
    }
}

} // namespace trevok
