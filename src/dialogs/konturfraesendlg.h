#pragma once
// "Platinenkontur": registration holes, mirroring and plotter unit of the board contour milling
// file.

#include "dialogs/millchoices.h"

#include <QDialog>

class QCheckBox;

namespace trevok
{

class TKonturFraesenDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TKonturFraesenDlg(QWidget* parent = nullptr);

    HpglOptions hpglOptions(int language) const;
    TPassBohrungen* corners() const noexcept { return mCorners; }

  private:
    TPassBohrungen* mCorners;
    TSpiegeln* mMirror;
    QCheckBox* mMetric;
};

} // namespace trevok
