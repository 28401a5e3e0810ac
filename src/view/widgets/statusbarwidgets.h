#pragma once
// The widgets of the status line: the cursor coordinates, the hint text and the ground-plane
// panel with its switch SB_AutoMasse, the clearance edit SE_FreistanzOffset and the restricted
// area button SB_Sperrflaeche. The ground-plane panel is 90 pixels wide while the switch is
// down (the edit and the button visible) and 47 pixels otherwise.

#include "document/objekt.h"

#include <QWidget>

#include <optional>

class QLabel;
class QStatusBar;
class QToolButton;

namespace trevok
{

class EditSession;
class TLaySpinEdit;

class StatusBarWidgets : public QObject
{
    Q_OBJECT
  public:
    explicit StatusBarWidgets(QWidget* parent = nullptr);

    /// Adds the labels and the ground-plane panel to a status bar, left to right: X, Y, the
    /// ground-plane panel, the hint (stretching).
    void addTo(QStatusBar* bar);
    void setSession(EditSession* session);

    QLabel* xLabel() const noexcept { return x_; }       // L_XPos
    QLabel* yLabel() const noexcept { return y_; }       // L_YPos
    QLabel* hintLabel() const noexcept { return hint_; } // L_Hilfetext
    QWidget* groundPlanePanel() const noexcept { return panel_; }
    QToolButton* groundPlaneButton() const noexcept { return groundPlane_; } // SB_AutoMasse
    TLaySpinEdit* clearanceEdit() const noexcept { return clearance_; }      // SE_FreistanzOffset
    QToolButton* restrictedButton() const noexcept { return restricted_; }   // SB_Sperrflaeche

    void setCoordinates(const QString& x, const QString& y);
    /// The long hint; line breaks (CR or LF) are shown as blanks.
    void setHint(const QString& text);

    /// Shows the current side's switch of the current board (after a layer or board change).
    void syncGroundPlane();
    /// M_AutoMasse: inverts the current side's switch without marking the layout changed.
    void toggleGroundPlane();
    /// Shows the current clearance and the restricted-area state of the session.
    void showParameters();

  signals:
    /// The ground plane was switched; repaint the whole board (and the title, when `modified`).
    void groundPlaneChanged(bool modified);
    /// Elements' clearances changed; repaint the area.
    void boardChanged(const trevok::TRect& area);
    /// SB_Sperrflaeche pressed or released (the session chose the Area tool or not).
    void restrictedAreasChanged(bool down);

  private:
    void groundPlaneClicked(bool down);
    void setGroundPlaneShown(bool down);
    void restrictedClicked(bool down);
    void report(const std::optional<TRect>& area);

    EditSession* session_ = nullptr;
    QLabel* x_;
    QLabel* y_;
    QLabel* hint_;
    QWidget* panel_;
    QToolButton* groundPlane_;
    TLaySpinEdit* clearance_;
    QToolButton* restricted_;
    bool updating_ = false;
    bool wheelVisit_ = false; // the wheel is held while the edit has no focus
};

} // namespace trevok
