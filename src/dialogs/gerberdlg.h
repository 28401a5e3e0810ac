#pragma once
// "Gerber-Format exportieren": the layer and the options of one Gerber export. The dialog lives
// for the whole run and keeps its choices; it fills the same options record as the command line.

#include "output/gerber.h"
#include "view/colours.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QRadioButton;

namespace trevok
{

class TGerberDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TGerberDlg(QWidget* parent = nullptr);

    /// Paints the small panels beside K1, B1, K2 and B2 in the layer colours of the scheme.
    void setLayerColours(const ColourScheme& colours);
    /// The record the export runs with; the language names the layer in the file.
    GerberOptions options(int language) const;
    /// Chooses a layer as a click on its button does: sets mirroring and outline and the enabling.
    void chooseLayer(GerberLayer layer);
    GerberLayer layer() const;

  private:
    void updateEnabling();

    std::array<QRadioButton*, 6> layers_{}; // in the order of GerberLayer
    std::array<QFrame*, 4> panels_{};       // K1, B1, K2, B2
    QCheckBox* mirror_ = nullptr;
    QCheckBox* outline_ = nullptr;
    QCheckBox* punch_ = nullptr;
    QCheckBox* mark_ = nullptr;
    QCheckBox* pads_ = nullptr;
    QCheckBox* smdPads_ = nullptr;
    QCheckBox* invert_ = nullptr;
    QLabel* offsetLabel_ = nullptr;
    QDoubleSpinBox* padOffset_ = nullptr;
    QDoubleSpinBox* smdOffset_ = nullptr;
};

} // namespace trevok
