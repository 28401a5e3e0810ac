#pragma once
// The system colour dialog with the program's memory of custom colours: the custom colours are
// read from "COLORS.DAT" in the user folder before the dialog opens and written back after a
// colour was chosen, so that every colour panel of the program shares them between runs.

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace trevok
{

/// The chosen colour, or nothing when the dialog was cancelled.
std::optional<QColor> ChooseColourRemembered(QWidget* parent, const QColor& initial, const QString& title);

} // namespace trevok
