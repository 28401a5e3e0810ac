#pragma once
// The router window TAutoRouter: width and clearance of the tracks the autorouter lays, and its
// status line. A small tool window on top of the main window, shown while the autorouter tool is
// active; closing it gives the tool up.

#include "routing/autorouter.h"

#include <QDialog>
#include <QPoint>

#include <optional>

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

    /// Shows the window where the user last put it (setPlace, or where it was moved), centred
    /// on its parent when it has no place yet or the place lies on no screen.
    void showTool();
    /// The remembered top-left corner, e.g. from the settings of the last run.
    void setPlace(const QPoint& topLeft) { place_ = topLeft; }
    std::optional<QPoint> place() const { return place_; }
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
    void moveEvent(QMoveEvent* event) override;

  private:
    RouterSettings& settings_;
    DecimalSpinBox* width_;
    DecimalSpinBox* clearance_;
    QLabel* status_;
    std::optional<QPoint> place_;
};

} // namespace trevok
