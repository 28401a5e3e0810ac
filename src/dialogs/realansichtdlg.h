#pragma once
// The photo view window: which side the main view shows as the finished board, with or without
// the component print and with the far side showing through. A small tool window that stays
// open beside the main window; every change, and closing it, is reported as a PhotoView record.

#include "view/render.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace trevok
{

class TRealAnsichtDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit TRealAnsichtDlg(QWidget* parent = nullptr);

    /// The current choices; `shown` tells whether the window is open.
    PhotoView photoView() const;
    /// Sets the choices without reporting them.
    void setPhotoView(const PhotoView& view);

    QRadioButton* side1() const noexcept { return side1_; }
    QRadioButton* side2() const noexcept { return side2_; }
    QCheckBox* withComponents() const noexcept { return components_; }
    QCheckBox* translucent() const noexcept { return translucent_; }

  signals:
    /// Every change of a choice, showing and closing (then with shown = false).
    void photoViewChanged(const trevok::PhotoView& view);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void report();

    QRadioButton* side1_;
    QRadioButton* side2_;
    QCheckBox* components_;
    QCheckBox* translucent_;
    bool updating_ = false;
    bool shown_ = false;
};

} // namespace trevok
