#pragma once
// "Isolationsfräsen": the layer to mill, the milling width, how texts are milled, drill files,
// the passes, centring marks, registration holes, mirroring and plotter unit of the isolation
// milling output.

#include "dialogs/millchoices.h"
#include "output/hpgl.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QRadioButton;

namespace trevok
{

struct TBoard;

class TUmrissDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TUmrissDlg(QWidget* parent = nullptr);

    /// Before showing: the layer panels take the copper colours, and the text, drill and centring
    /// choices are enabled only where the board has something they act on.
    void prepare(const TBoard& board, QColor k1, QColor k2);

    MillingOptions millingOptions() const;
    /// Further passes need a milling width: with the width left out there is only the first.
    PassOptions passOptions() const;
    HpglOptions hpglOptions(int language) const;
    TPassBohrungen* corners() const noexcept { return corners_; }

  private:
    void updateWidthField();

    QRadioButton* k1_;
    QRadioButton* k2_;
    QDoubleSpinBox* width_;
    QCheckBox* includeWidth_;
    QGroupBox* normalTexts_;
    QGroupBox* markedTexts_;
    QRadioButton* textSingle_;
    QRadioButton* markedTextSingle_;
    QGroupBox* drills_;
    QRadioButton* drillsNone_;
    QRadioButton* drillsOne_;
    QRadioButton* drillsEach_;
    QCheckBox* centring_;
    TPassBohrungen* corners_;
    TSpiegeln* mirror_;
    TDurchgaenge* passes_;
    QCheckBox* metric_;
};

} // namespace trevok
