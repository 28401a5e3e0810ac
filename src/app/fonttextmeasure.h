#pragma once
// Old font texts measured with the desktop's fonts: bold "Arial", which fontconfig resolves to a
// metric-compatible face.

#include "edit/textedit.h"

namespace trevok
{

class DesktopFontTextMeasure final : public FontTextMeasure
{
  public:
    std::pair<double, double> measure(const std::string& text, int pixelHeight) const override;
};

} // namespace trevok
