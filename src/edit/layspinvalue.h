#pragma once
// The value logic of the numeric tool-bar field (TLaySpinEdit): limits, step, decimals, text
// reading and the thumb wheel. The widget holds one of these and shows text().

#include <string>
#include <string_view>

namespace trevok
{

/// A decimal number of millimetres read from a field: blanks around it allowed, a decimal point
/// or comma. Anything that is not a finite number reads as 0.
double parseFieldNumber(std::string_view text) noexcept;

/// A value with limits and a fixed number of decimals, kept as the text the field shows.
class LaySpinValue
{
  public:
    LaySpinValue() = default;
    LaySpinValue(double min, double max, double step, int decimals);

    double min() const noexcept { return min_; }
    double max() const noexcept { return max_; }
    double step() const noexcept { return step_; }
    int decimals() const noexcept { return decimals_; }

    /// The text read as a number and limited to min..max (the text itself is not changed).
    double value() const noexcept;
    /// Rounds to 4 decimals, limits, and shows the value with the fixed decimals and a point.
    void setValue(double x);
    const std::string& text() const noexcept { return text_; }
    /// What the user typed; read by value().
    void setText(std::string text) { text_ = std::move(text); }
    /// Leaving the field: the text is written again from its value.
    void normalise() { setValue(value()); }

    /// A click on the wheel: one step up (left button) or down (right button).
    void stepUp() { setValue(value() + step_); }
    void stepDown() { setValue(value() - step_); }
    /// Dragging the wheel: the press sets the reference y (pixels, downwards); each move changes
    /// the value by whole multiples of the step, one per 8 pixels upwards. Returns whether the
    /// value was set.
    void wheelPress(int y) noexcept { reference_ = y; }
    bool wheelDrag(int y);

    /// The text a value would be shown as.
    std::string format(double x) const;

  private:
    double min_ = 0.0;
    double max_ = 99.9;
    double step_ = 0.1;
    int decimals_ = 1;
    std::string text_ = "0.0";
    int reference_ = 0;
};

} // namespace trevok
