#pragma once
// "G-Code": the layer, milling width and passes of the isolation contours, how texts are milled,
// the machine settings of the G-code files (depths, safe height, feeds, spindle and its dwell),
// drill files and centring marks, the board outline (its cutter, depth steps and holding tabs),
// registration holes and mirroring; and the figures of the last job written.

#include "dialogs/millchoices.h"
#include "output/gcode.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
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
    PassOptions passOptions() const;
    GcodeOptions gcodeOptions(int language) const;

    /// Shows the travel, cut length and estimated time of the job just written.
    void setJobFigures(const GcodeStats& stats);
    /// Those figures as one line of text in the current language.
    static QString JobFiguresText(const GcodeStats& stats);

  private:
    QDoubleSpinBox* millimetres(const char* name, double value, double lo, double hi, int decimals);

    QRadioButton* mK2;
    QDoubleSpinBox* mWidth;
    TDurchgaenge* mPasses;
    QDoubleSpinBox* mDepth;
    QDoubleSpinBox* mDrillDepth;
    QDoubleSpinBox* mSafeZ;
    QDoubleSpinBox* mFeed;
    QDoubleSpinBox* mPlunge;
    QDoubleSpinBox* mRapid;
    QSpinBox* mSpindle;
    QDoubleSpinBox* mDwell;
    QRadioButton* mTextSingle;
    QRadioButton* mMarkedTextSingle;
    QRadioButton* mDrillsOne;
    QRadioButton* mDrillsEach;
    QCheckBox* mCentring;
    QRadioButton* mOutlineBoard;
    QRadioButton* mOutlineSelected;
    QDoubleSpinBox* mOutlineDepth;
    QDoubleSpinBox* mOutlineTool;
    QDoubleSpinBox* mOutlineStep;
    QSpinBox* mTabs;
    QDoubleSpinBox* mTabWidth;
    QDoubleSpinBox* mTabHeight;
    TPassBohrungen* mCorners;
    TSpiegeln* mMirror;
    QLabel* mFigures;
};

} // namespace trevok
