#pragma once
// "Texteingabe": text, height and angle of an old font text (a text of an older file drawn with
// a system font).

#include "edit/textedit.h"

#include <QDialog>

#include <functional>

class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;

namespace trevok
{

class TTXT_Dlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TTXT_Dlg(QWidget* parent = nullptr);

    void setSettings(const FontTextSettings& settings);
    FontTextSettings settings() const;

    /// Shows the values and, on OK, writes the entered ones back; false on Cancel. `ask` replaces
    /// the modal run (tests).
    bool edit(FontTextSettings& settings, const std::function<bool(TTXT_Dlg&)>& ask = {});

    QLineEdit* text() const noexcept { return text_; }                 // Edit1
    QDoubleSpinBox* height() const noexcept { return height_; }        // SE_Hoehe
    QRadioButton* orientation(int i) const { return orientation_[i]; } // RB_0 .. RB_270

  private:
    QLineEdit* text_;
    QDoubleSpinBox* height_;
    QRadioButton* orientation_[4];
};

} // namespace trevok
