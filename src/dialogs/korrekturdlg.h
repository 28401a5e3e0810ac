#pragma once
// "Korrekturfaktoren": the printer calibration, horizontal and vertical factors from 0.8 to 1.2
// that stretch or shrink the printout to cancel a printer's distortion.

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;

namespace trevok
{

class TKorrekturDlg : public QDialog
{
    Q_OBJECT
  public:
    /// Shows the factors with five decimals.
    TKorrekturDlg(double kx, double ky, QWidget* parent = nullptr);

    double kx() const noexcept { return kx_; }
    double ky() const noexcept { return ky_; }
    QLineEdit* horizontalField() const noexcept { return h_; }
    QLineEdit* verticalField() const noexcept { return v_; }

    /// Shows the range message; tests replace it.
    std::function<void(const QString& text)> inform;

    /// Reads both fields; a value that is not a number or lies outside 0.8..1.2 keeps the
    /// dialog open with the message and the old factors.
    void accept() override;

  private:
    QLineEdit* h_;
    QLineEdit* v_;
    double kx_;
    double ky_;
};

/// The text of a factor field as a number ("1.05", "1,05", blanks around allowed); nothing when
/// it is not a number.
std::optional<double> ParseFactor(const QString& text);

} // namespace trevok
