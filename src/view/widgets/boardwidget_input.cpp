// The drawing area's input: mouse, wheel and keys, translated for the editing session; the
// middle button and the modified wheel move the view without the session.
#include "edit/session.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/boardwidgetgeometry.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <optional>

namespace trevok
{

using boardwidget::modifiersOf;

unsigned boardwidget::modifiersOf(Qt::KeyboardModifiers m)
{
    unsigned r = 0;
    if (m & Qt::ShiftModifier)
        r |= ModShift;
    if (m & Qt::ControlModifier)
        r |= ModCtrl;
    if (m & Qt::AltModifier)
        r |= ModAlt;
    return r;
}

namespace
{

std::optional<MouseButton> buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

std::optional<Key> keyOf(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Right:
        return Key::Right;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Down:
        return Key::Down;
    case Qt::Key_Delete:
        return Key::Delete;
    case Qt::Key_F1:
        return Key::F1;
    case Qt::Key_F2:
        return Key::F2;
    case Qt::Key_F3:
        return Key::F3;
    case Qt::Key_F4:
        return Key::F4;
    case Qt::Key_F5:
        return Key::F5;
    case Qt::Key_F6:
        return Key::F6;
    case Qt::Key_F7:
        return Key::F7;
    case Qt::Key_F8:
        return Key::F8;
    case Qt::Key_F12:
        return Key::F12;
    case Qt::Key_Space:
        return Key::Space;
    case Qt::Key_Escape:
        return Key::Escape;
    default:
        return std::nullopt;
    }
}

} // namespace

// --- events ---------------------------------------------------------------------------------------

TPoint BoardWidget::boardPoint(QPoint viewportPixel) const
{
    const QPointF p = view_.boardPointAt(viewportPixel);
    return {RoundHalfEven(p.x()), RoundHalfEven(p.y())};
}

void BoardWidget::sendMove(QPoint viewportPixel, unsigned modifiers)
{
    const TPoint p = boardPoint(viewportPixel);
    emit cursorMoved(viewportPixel, p);
    if (session_)
        session_->mouseMove(p, modifiers);
}

void BoardWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    lastMouse_ = at;
    lastModifiers_ = modifiersOf(event->modifiers());
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::MiddleButton) {
        // The middle button pulls the board along; no tool sees it.
        panFrom_ = at;
        cursorBeforePan_ = viewport()->cursor();
        viewport()->setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    const auto button = buttonOf(event->button());
    if (session_ && button)
        session_->mousePress(boardPoint(at), *button, lastModifiers_);
    event->accept();
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event)
{
    lastMouse_ = event->position().toPoint();
    lastModifiers_ = modifiersOf(event->modifiers());
    if (panFrom_) {
        const QPoint d = lastMouse_ - *panFrom_;
        panFrom_ = lastMouse_;
        if (session_)
            session_->ErasePreviews();
        view_.scrollBy(-d.x(), -d.y());
        event->accept();
        return;
    }
    sendMove(lastMouse_, lastModifiers_);
    event->accept();
}

void BoardWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    lastMouse_ = at;
    lastModifiers_ = modifiersOf(event->modifiers());
    if (event->button() == Qt::MiddleButton && panFrom_) {
        panFrom_.reset();
        viewport()->setCursor(cursorBeforePan_);
        sendMove(at, lastModifiers_);
        event->accept();
        return;
    }
    const auto button = buttonOf(event->button());
    if (session_ && button)
        session_->mouseRelease(boardPoint(at), *button, lastModifiers_);
    event->accept();
}

void BoardWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    lastMouse_ = at;
    lastModifiers_ = modifiersOf(event->modifiers());
    const auto button = buttonOf(event->button());
    if (!session_ || !button)
        return;
    // The second press of a double click: the Standard tool opens what was clicked; every other
    // tool takes it as the press it is (a quick second corner of a track must not be lost).
    if (*button == MouseButton::Left && session_->tool() == ToolStandard)
        session_->mouseDoubleClick(boardPoint(at), lastModifiers_);
    else
        session_->mousePress(boardPoint(at), *button, lastModifiers_);
    event->accept();
}

void BoardWidget::wheelEvent(QWheelEvent* event)
{
    // The plain wheel zooms; Shift scrolls sideways and Ctrl up and down, as in most programs;
    // a sideways wheel or touchpad swipe scrolls sideways by itself.
    const QPoint delta = event->angleDelta();
    if (delta.isNull()) {
        event->ignore();
        return;
    }
    if (session_)
        session_->ErasePreviews();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const QPoint at = event->position().toPoint();
    if (delta.y() == 0)
        view_.wheelScroll(delta.x(), true);
    else if (mods & Qt::ShiftModifier)
        view_.wheelScroll(delta.y(), true);
    else if (mods & Qt::ControlModifier)
        view_.wheelScroll(delta.y(), false);
    else if (wheelAtCursor_)
        view_.wheelAtCursor(delta.y(), at);
    else
        view_.wheel(delta.y(), at);
    event->accept();
}

void BoardWidget::keyPressEvent(QKeyEvent* event)
{
    const auto key = keyOf(event->key());
    if (key && session_ && !(event->isAutoRepeat() && *key == Key::Space)) {
        if (session_->keyPress(*key, modifiersOf(event->modifiers()))) {
            event->accept();
            return;
        }
    }
    if (key && *key == Key::Space && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void BoardWidget::keyReleaseEvent(QKeyEvent* event)
{
    const auto key = keyOf(event->key());
    if (key && session_ && !event->isAutoRepeat() &&
        session_->keyRelease(*key, modifiersOf(event->modifiers()))) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyReleaseEvent(event);
}

void BoardWidget::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
}

bool BoardWidget::focusNextPrevChild(bool)
{
    // TAB belongs to nobody here; the drawing area keeps the focus for its keys.
    return false;
}

bool BoardWidget::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        lastMouse_ = QPoint(-1, -1);
        emit cursorLeft();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace trevok
