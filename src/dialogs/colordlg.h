#pragma once
// "Farben definieren": chooses the colour scheme in use and edits the three user schemes.
// The chosen colours are applied at once; OK keeps them and writes the selected user scheme,
// Cancel returns to the scheme and colours of before.

#include "view/colours.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace trevok
{

class TColor_Dlg : public QDialog
{
    Q_OBJECT
  public:
    /// The scheme colours edited in the dialog, in panel order.
    static constexpr std::array<int, 7> EditedColours{ColourBackground, ColourGrid, ColourK1,        ColourB1,
                                                      ColourK2,         ColourB2,   ColourConnection};

    /// Reads the user schemes from their files; the scheme in use is Standard until
    /// selectScheme chooses another.
    explicit TColor_Dlg(QWidget* parent = nullptr);

    /// Reads the three user schemes from their files again.
    void loadSchemes();
    /// The scheme in use (setting "Farbschema"), 0..3.
    int schemeIndex() const noexcept { return index_; }
    /// Chooses the scheme in use without asking and applies it to the current colours (start-up).
    /// An index outside 0..3 chooses Standard.
    void selectScheme(int index);
    const ColourScheme& scheme(int index) const { return schemes_.at(static_cast<std::size_t>(index)); }
    bool schemeChanged() const noexcept { return changed_; }

    QComboBox* schemeBox() const noexcept { return combo_; }
    QPushButton* panel(int i) const { return panels_.at(static_cast<std::size_t>(i)); }

    /// The system colour dialog, preset to a colour, with the custom colours of "COLORS.DAT";
    /// nothing when cancelled. Tests replace it.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;
    /// The question whether to save a changed scheme (Yes = true). Tests replace it.
    std::function<bool()> askSaveChanges;

    /// Clicking panel i (0..6): choose its colour, apply it at once, mark the scheme changed.
    void editPanel(int i);

    void accept() override;
    void reject() override;

  signals:
    /// The current colours changed: the board, the macro preview and the hatch patterns must
    /// be redrawn from them.
    void coloursChanged();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void schemeChosen(int index);
    void apply();
    void updatePanels();
    std::optional<QColor> systemColourDialog(const QColor& initial);

    QComboBox* combo_;
    std::array<QPushButton*, 7> panels_{};
    std::array<QLabel*, 7> captions_{};
    std::array<ColourScheme, SchemeCount> schemes_;
    int index_ = 0;
    bool changed_ = false;
    bool switching_ = false;
    // The state when the dialog was opened, for Cancel.
    std::array<ColourScheme, SchemeCount> savedSchemes_;
    ColourScheme savedColours_;
    int savedIndex_ = 0;
    bool savedChanged_ = false;
};

} // namespace trevok
