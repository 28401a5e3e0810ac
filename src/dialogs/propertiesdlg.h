#pragma once
// "Eigenschaften...": the fields of the selected elements (texts excluded) by kind, in mm as the
// status line shows positions. OK writes what was typed as one undo step; a value the elements
// cannot take is named in a message and the dialog stays open with nothing changed.

#include "edit/elementproperties.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace trevok
{

class TPropertiesDlg : public QDialog
{
  public:
    /// Writes an edited sheet into the board; returns the field to blame when it cannot.
    using Apply = std::function<std::optional<PropertyField>(const PropertySheet& edited)>;

    TPropertiesDlg(const PropertySheet& shown, Apply apply, QWidget* parent = nullptr);

    /// The sheet as the fields hold it now.
    PropertySheet edited() const;
    /// The caption of a field in the language of the run (without the colon).
    static QString fieldCaption(PropertyField field);

    QLineEdit* edit(PropertyField field) const { return edits_[static_cast<std::size_t>(field)]; }
    QComboBox* layerBox() const { return layer_; }
    QComboBox* shapeBox() const { return shape_; }
    QCheckBox* check(PropertyField field) const { return checks_[static_cast<std::size_t>(field)]; }
    QTableWidget* corners() const { return corners_; }

    /// OK: applies, or names the field to blame and stays open.
    void accept() override;

  private:
    PropertySheet shown_;
    Apply apply_;
    std::array<QLineEdit*, PropertyFieldCount> edits_{};
    std::array<QCheckBox*, PropertyFieldCount> checks_{};
    QComboBox* layer_ = nullptr;
    QComboBox* shape_ = nullptr;
    QTableWidget* corners_ = nullptr;
};

} // namespace trevok
