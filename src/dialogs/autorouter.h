#pragma once
// The router window TAutoRouter: width and clearance of the tracks the autorouter lays, and its
// status line. A small tool window on top of the main window, shown while the autorouter tool is
// active; closing it gives the tool up.

#include "routing/autorouter.h"

#include <QDialog>

class QLabel;

namespace trevok
{

class DecimalSpinBox;

class TAutoRouter : public QDialog
{
    Q_OBJECT
  public:
    /// The window edits `settings` (kept by the editing session) in place.
    TAutoRouter(RouterSettings& settings, QWidget* parent = nullptr);

    /// Shows the window, centred on its parent the first time.
    void showTool();
    /// P_AutoInfo: one blank and the text, repainted at once.
    void SetStatus(const QString& text);

    DecimalSpinBox* widthEdit() const noexcept { return width_; }
    DecimalSpinBox* clearanceEdit() const noexcept { return clearance_; }
    QLabel* statusLine() const noexcept { return status_; }

  signals:
    /// The user closed the window (not when a tool change hid it).
    void closedByUser();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    RouterSettings& settings_;
    DecimalSpinBox* width_;
    DecimalSpinBox* clearance_;
    QLabel* status_;
    bool placed_ = false;
};

} // namespace trevok
