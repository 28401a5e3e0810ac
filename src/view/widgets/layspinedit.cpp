#include "view/widgets/layspinedit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace trevok
{

/// The thumb wheel beside the edit: ridges that light up under the mouse.
class LaySpinWheel : public QWidget
{
  public:
    explicit LaySpinWheel(TLaySpinEdit* owner) : QWidget(owner), owner_(owner)
    {
        setFixedSize(11, 18);
        setCursor(Qt::SizeVerCursor);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const bool hot = underMouse();
        p.fillRect(rect(), hot ? QColor(210, 210, 210) : QColor(180, 180, 180));
        p.setPen(QColor(90, 90, 90));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        // Ridges closer together towards the ends, as on a drum seen from the side.
        const int ridges[] = {3, 5, 8, 11, 14};
        p.setPen(hot ? QColor(40, 40, 40) : QColor(110, 110, 110));
        for (int y : ridges)
            p.drawLine(2, y, width() - 3, y);
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

    void mousePressEvent(QMouseEvent* e) override
    {
        dragged_ = false;
        previousFocus_ = QApplication::focusWidget();
        emit owner_->wheelPressed();
        if (e->button() == Qt::LeftButton)
            owner_->wheelPress(e->position().toPoint().y());
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!(e->buttons() & Qt::LeftButton))
            return;
        const double before = owner_->GetValue();
        owner_->wheelDrag(e->position().toPoint().y());
        if (owner_->GetValue() != before)
            dragged_ = true;
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (!dragged_ && rect().contains(e->position().toPoint())) {
            if (e->button() == Qt::LeftButton)
                owner_->wheelStep(true);
            else if (e->button() == Qt::RightButton)
                owner_->wheelStep(false);
        }
        // The wheel never keeps the focus: typing goes on where it was.
        if (previousFocus_ && previousFocus_ != this)
            previousFocus_->setFocus(Qt::OtherFocusReason);
        dragged_ = false;
        emit owner_->wheelReleased();
    }

  private:
    TLaySpinEdit* owner_;
    QWidget* previousFocus_ = nullptr;
    bool dragged_ = false;
};

TLaySpinEdit::TLaySpinEdit(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    edit_ = new QLineEdit(this);
    edit_->setMaxLength(5);
    QFont f = edit_->font();
    f.setPointSize(8);
    edit_->setFont(f);
    // Five characters of the small font, with room for the frame.
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("00.00")) + 10);
    edit_->setAlignment(Qt::AlignRight);
    edit_->installEventFilter(this);
    wheel_ = new LaySpinWheel(this);
    layout->addWidget(edit_);
    layout->addWidget(wheel_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        value_.setText(text.toStdString());
        emit OnEditChange(text);
    });
    applyColours();
    showValueText();
}

QWidget* TLaySpinEdit::wheel() const noexcept
{
    return wheel_;
}

void TLaySpinEdit::setRange(double min, double max, double step, int decimals)
{
    const double v = value_.value();
    value_ = LaySpinValue(min, max, step, decimals);
    value_.setValue(v);
    showValueText();
}

void TLaySpinEdit::SetValue(double x)
{
    value_.setValue(x);
    showValueText();
}

QString TLaySpinEdit::GetText() const
{
    return edit_->text();
}

void TLaySpinEdit::SetText(const QString& text)
{
    value_.setText(text.toStdString());
    if (edit_->text() != text)
        edit_->setText(text);
}

void TLaySpinEdit::showValueText()
{
    const QString text = QString::fromStdString(value_.text());
    if (edit_->text() != text)
        edit_->setText(text); // emits OnEditChange, as the field always did on SetValue
    edit_->repaint();
}

void TLaySpinEdit::SetEditTextColor(const QColor& colour)
{
    text_ = colour;
    applyColours();
}

void TLaySpinEdit::SetEditBKColor(const QColor& colour)
{
    background_ = colour;
    applyColours();
}

void TLaySpinEdit::setHighlighted(bool on)
{
    highlighted_ = on;
    if (on) {
        text_ = QColor(255, 255, 255);
        background_ = QColor(255, 0, 0);
    } else {
        text_ = QColor(255, 255, 0);
        background_ = QColor(0, 0, 0);
    }
    applyColours();
}

void TLaySpinEdit::applyColours()
{
    QPalette pal = edit_->palette();
    pal.setColor(QPalette::Text, text_);
    pal.setColor(QPalette::Base, background_);
    edit_->setPalette(pal);
    edit_->update();
}

void TLaySpinEdit::wheelStep(bool up)
{
    if (up)
        value_.stepUp();
    else
        value_.stepDown();
    showValueText();
}

void TLaySpinEdit::wheelPress(int y)
{
    value_.wheelPress(y);
}

void TLaySpinEdit::wheelDrag(int y)
{
    if (value_.wheelDrag(y))
        showValueText();
}

bool TLaySpinEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn) {
            emit OnEditEnter();
        } else if (event->type() == QEvent::FocusOut) {
            value_.setText(edit_->text().toStdString());
            value_.normalise();
            showValueText();
            emit OnEditExit();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace trevok
