#pragma once
// The layer information window: the colour of each layer with its name and meaning.

#include <QColor>
#include <QDialog>

#include <array>

class QLabel;

namespace trevok
{

class TLayerInfo : public QDialog
{
    Q_OBJECT
  public:
    /// colours: the drawing colours of layers 1..4 (K1, B1, K2, B2) in the current scheme.
    explicit TLayerInfo(const std::array<QColor, 4>& colours, QWidget* parent = nullptr);

    /// Repaints the swatches after the colour scheme changed.
    void setColours(const std::array<QColor, 4>& colours);
    QColor colour(int layer) const { return colours_.at(static_cast<std::size_t>(layer - 1)); }

  private:
    std::array<QColor, 4> colours_;
    std::array<QLabel*, 4> swatches_{};
};

} // namespace trevok
