#include "app/fonttextmeasure.h"

#include "dialogs/cp1252validator.h"

#include <QFont>
#include <QFontMetricsF>

namespace trevok
{

std::pair<double, double> DesktopFontTextMeasure::measure(const std::string& text, int pixelHeight) const
{
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(pixelHeight);
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(fromCp1252(text)), metrics.height()};
}

} // namespace trevok
