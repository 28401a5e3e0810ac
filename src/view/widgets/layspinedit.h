#pragma once
// TLaySpinEdit: the small numeric field of the tool bar and status bar, an edit with a thumb
// wheel beside it. Clicking the wheel steps the value (left up, right down); dragging it up or
// down changes the value by one step per 8 pixels. The value logic lives in LaySpinValue.

#include "edit/layspinvalue.h"

#include <QColor>
#include <QWidget>

class QLineEdit;

namespace trevok
{

class LaySpinWheel;

class TLaySpinEdit : public QWidget
{
    Q_OBJECT
  public:
    explicit TLaySpinEdit(QWidget* parent = nullptr);

    /// Limits, step and decimals; the value is shown again within them.
    void setRange(double min, double max, double step, int decimals);
    const LaySpinValue& spinValue() const noexcept { return value_; }

    /// The text read as a number (point or comma) and limited; the text is not changed.
    double GetValue() const noexcept { return value_.value(); }
    /// Rounds to 4 decimals, limits and shows the value with the fixed decimals.
    void SetValue(double x);
    QString GetText() const;
    /// Shows the text as it is (OnEditChange follows, as for typing).
    void SetText(const QString& text);

    void SetEditTextColor(const QColor& colour);
    void SetEditBKColor(const QColor& colour);
    /// White on red while the field concerns the selection, else yellow on black.
    void setHighlighted(bool on);
    bool highlighted() const noexcept { return highlighted_; }

    QLineEdit* edit() const noexcept { return edit_; }
    QWidget* wheel() const noexcept;

    /// The wheel's actions, also used by tests: a click steps up or down; dragging reports the
    /// press and every move (y in pixels, downwards).
    void wheelStep(bool up);
    void wheelPress(int y);
    void wheelDrag(int y);

  signals:
    /// Every change of the text, typed or set.
    void OnEditChange(const QString& text);
    /// The edit got the keyboard focus.
    void OnEditEnter();
    /// The edit lost the focus; the text was normalised first.
    void OnEditExit();
    /// A mouse button went down or up on the wheel: its changes are one edit of their own.
    void wheelPressed();
    void wheelReleased();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showValueText();
    void applyColours();

    LaySpinValue value_;
    QLineEdit* edit_;
    LaySpinWheel* wheel_;
    QColor text_ = QColor(255, 255, 0);
    QColor background_ = QColor(0, 0, 0);
    bool highlighted_ = false;
    bool settingText_ = false;
};

} // namespace trevok
