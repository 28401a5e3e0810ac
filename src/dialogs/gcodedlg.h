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

    QRadioButton* k2_;
    QDoubleSpinBox* width_;
    TDurchgaenge* passes_;
    QDoubleSpinBox* depth_;
    QDoubleSpinBox* drillDepth_;
    QDoubleSpinBox* safeZ_;
    QDoubleSpinBox* feed_;
    QDoubleSpinBox* plunge_;
    QDoubleSpinBox* rapid_;
    QSpinBox* spindle_;
    QDoubleSpinBox* dwell_;
    QRadioButton* textSingle_;
    QRadioButton* markedTextSingle_;
    QRadioButton* drillsOne_;
    QRadioButton* drillsEach_;
    QCheckBox* centring_;
    QRadioButton* outlineBoard_;
    QRadioButton* outlineSelected_;
    QDoubleSpinBox* outlineDepth_;
    QDoubleSpinBox* outlineTool_;
    QDoubleSpinBox* outlineStep_;
    QSpinBox* tabs_;
    QDoubleSpinBox* tabWidth_;
    QDoubleSpinBox* tabHeight_;
    TPassBohrungen* corners_;
    TSpiegeln* mirror_;
    QLabel* figures_;
};

} // namespace trevok
