#pragma once
// "G-Code": the layer and milling width of the isolation contours and the machine settings of the
// G-code files (depths, safe height, feeds, spindle), which drill files to write, and which
// outline layer to mill along.

#include "output/gcode.h"

#include <QDialog>

class QDoubleSpinBox;
class QRadioButton;
class QSpinBox;

namespace trevok
{

class TGcodeDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TGcodeDlg(QWidget* parent = nullptr);

    MillingOptions millingOptions() const;
    GcodeOptions gcodeOptions(int language) const;
    /// LayerB1, LayerB2, or 0 for no outline file.
    std::uint8_t outlineLayer() const;

  private:
    QDoubleSpinBox* millimetres(const char* name, double value, double lo, double hi, int decimals);

    QRadioButton* mK2;
    QDoubleSpinBox* mWidth;
    QDoubleSpinBox* mDepth;
    QDoubleSpinBox* mDrillDepth;
    QDoubleSpinBox* mOutlineDepth;
    QDoubleSpinBox* mSafeZ;
    QDoubleSpinBox* mFeed;
    QDoubleSpinBox* mPlunge;
    QSpinBox* mSpindle;
    QRadioButton* mDrillsOne;
    QRadioButton* mDrillsEach;
    QRadioButton* mOutlineB1;
    QRadioButton* mOutlineB2;
};

} // namespace trevok
