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
    TPassBohrungen* corners() const noexcept { return mCorners; }

  private:
    void updateWidthField();

    QRadioButton* mK1;
    QRadioButton* mK2;
    QDoubleSpinBox* mWidth;
    QCheckBox* mIncludeWidth;
    QGroupBox* mNormalTexts;
    QGroupBox* mMarkedTexts;
    QRadioButton* mTextSingle;
    QRadioButton* mMarkedTextSingle;
    QGroupBox* mDrills;
    QRadioButton* mDrillsNone;
    QRadioButton* mDrillsOne;
    QRadioButton* mDrillsEach;
    QCheckBox* mCentring;
    TPassBohrungen* mCorners;
    TSpiegeln* mMirror;
    TDurchgaenge* mPasses;
    QCheckBox* mMetric;
};

} // namespace trevok
