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
    TPassBohrungen* corners() const noexcept { return corners_; }

  private:
    TPassBohrungen* corners_;
    TSpiegeln* mirror_;
    QCheckBox* metric_;
};

} // namespace trevok
