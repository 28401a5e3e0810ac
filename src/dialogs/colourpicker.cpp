#include "dialogs/colourpicker.h"

#include "view/colours.h"
#include "view/userfolder.h"

#include <QColorDialog>

#include <algorithm>

namespace trevok
{

std::optional<QColor> ChooseColourRemembered(QWidget* parent, const QColor& initial, const QString& title)
{
    const CustomColours custom = ReadCustomColours(CustomColoursPath());
    const int customSlots = std::min(QColorDialog::customCount(), CustomColourCount);
    for (int k = 0; k < customSlots; ++k) {
        const auto& c = custom[static_cast<std::size_t>(k)];
        QColorDialog::setCustomColor(k, c ? ToQColor(*c) : QColor(Qt::white));
    }
    const QColor chosen = QColorDialog::getColor(initial, parent, title);
    if (!chosen.isValid())
        return std::nullopt;
    CustomColours after;
    for (int k = 0; k < customSlots; ++k)
        after[static_cast<std::size_t>(k)] = FromQColor(QColorDialog::customColor(k));
    if (EnsureUserFolder())
        WriteCustomColours(CustomColoursPath(), after);
    return chosen;
}

} // namespace trevok
