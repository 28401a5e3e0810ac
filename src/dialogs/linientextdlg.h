#pragma once
// "Texteigenschaften": the text, height, stroke, orientation, mirroring, style and automatic
// numbering of a layout text, for placing new texts and for editing one on the board.

#include "edit/layouttext.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace trevok
{

class TLinienText_Dlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TLinienText_Dlg(QWidget* parent = nullptr);

    void setSettings(const LayoutTextSettings& settings, int start);
    LayoutTextSettings settings() const;
    int start() const;
    /// Editing a text on the board has no numbering: the group "Automatik" is disabled.
    void setNumberingAvailable(bool available);

    /// Shows the values and, on OK, writes the entered ones back; false on Cancel (nothing is
    /// changed). `ask` replaces the modal run (tests).
    bool edit(LayoutTextSettings& settings, int& start,
              const std::function<bool(TLinienText_Dlg&)>& ask = {});

    QLineEdit* text() const noexcept { return text_; }                 // E_Text
    QDoubleSpinBox* height() const noexcept { return height_; }        // SE_Hoehe
    QRadioButton* thickness(int i) const { return thickness_[i]; }     // RB_Duenn, RB_Normal, RB_Dick
    QRadioButton* orientation(int i) const { return orientation_[i]; } // RB_0 .. RB_270
    QRadioButton* style(int i) const { return style_[i]; }       // RB_Stil_Eng, RB_Stil_Normal, RB_Stil_Weit
    QCheckBox* mirrorH() const noexcept { return mirrorH_; }     // CB_Horz
    QCheckBox* mirrorV() const noexcept { return mirrorV_; }     // CB_Vert
    QCheckBox* numbering() const noexcept { return numbering_; } // CB_WillsteZahl
    QSpinBox* startValue() const noexcept { return start_; }     // SE_Start

  private:
    QLineEdit* text_;
    QDoubleSpinBox* height_;
    QRadioButton* thickness_[3];
    QRadioButton* orientation_[4];
    QRadioButton* style_[3];
    QCheckBox* mirrorH_;
    QCheckBox* mirrorV_;
    QCheckBox* numbering_;
    QSpinBox* start_;
    QGroupBox* automatic_;
};

} // namespace trevok
