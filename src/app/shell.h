#pragma once
// The two faces the main window shows its controllers.
//
// Shell is everything that reaches the person at the screen: a message box, a file-name
// question, a modal dialog, the design-problem question before an export, a folder opened in the
// file manager, and the status line. The main window is the real one; the window tests put one
// scripted fake in its place, so that no test waits for a person.
//
// WindowViews is what the controllers ask of the window's own widgets after they changed the
// project (tabs, title, the enabled states, the board picture). It asks nobody anything, so the
// window always implements it itself.

#include "document/messages.h"
#include "document/objekt.h"
#include "print/boardimage.h"
#include "print/printsheet.h"

#include <QMessageBox>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace trevok
{

class Shell
{
  public:
    virtual ~Shell() = default;

    /// Shows a message box and returns the button pressed.
    virtual QMessageBox::StandardButton messageBox(QMessageBox::Icon icon, const QString& caption,
                                                   const QString& text,
                                                   QMessageBox::StandardButtons buttons) = 0;
    /// Asks for a file name (save: a save dialog with its overwrite prompt); empty when cancelled.
    virtual QString askFileName(bool save, const QString& caption, const QString& folder,
                                const QString& filter) = 0;
    /// Runs a modal dialog; true when it was accepted.
    virtual bool runDialog(QDialog& dialog) = 0;
    /// Asks whether to export a board with design errors (the counts in text): Yes "Export
    /// anyway", No "Show problems", Cancel.
    virtual QMessageBox::StandardButton askDesignProblems(const QString& text) = 0;
    /// Shows a folder in the desktop's file manager; false when none could be started.
    virtual bool openFolder(const QString& folder) = 0;
    /// Puts a text into the hint field of the status line.
    virtual void showStatus(const QString& text) = 0;
};

/// A message box whose text may use CR as line break, as the core's message texts do.
QMessageBox::StandardButton Ask(Shell& shell, QMessageBox::Icon icon, const QString& caption,
                                const QString& text, QMessageBox::StandardButtons buttons);
/// A message of the core's table in the language of the run, with an OK button.
void ShowMessage(Shell& shell, MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon);

/// The design-problem question as a real message box, its buttons named for what they do.
QMessageBox::StandardButton AskDesignProblemsBox(QWidget* parent, const QString& text);

struct TBoard;

class WindowViews
{
  public:
    virtual ~WindowViews() = default;

    /// Ends the running operation of the edit tool (a half-drawn track, a drag) before the
    /// project changes under it.
    virtual void abortOperation() = 0;
    /// Stops and restarts painting the board while boards are removed or replaced.
    virtual void setPaintingSuspended(bool suspended) = 0;
    /// The view lets go of the current board before it is removed.
    virtual void detachView() = 0;
    /// The tabs follow the boards of the project.
    virtual void boardsChanged() = 0;
    /// The board area takes over the current board (size, scroll range, picture).
    virtual void boardSwitched() = 0;
    virtual void repaintBoard() = 0;
    /// Every enabled state and check mark follows the project.
    virtual void commandsChanged() = 0;
    /// The title follows the file name and the modified mark.
    virtual void titleChanged() = 0;
    /// The File menu follows the list of recent files.
    virtual void recentFilesChanged() = 0;
    /// A picture of the board as the view shows it: its live state (visible layers, active side,
    /// template pictures) is put into the board's record first, as saving does; the window's
    /// colours and template pictures.
    virtual ImageOptions viewImageOptions(TBoard& board, ImageFormat format) = 0;
    /// The colours the board is drawn in.
    virtual const ColourScheme& colourScheme() const = 0;
    /// The current board's template pictures with their rectangles, for printing.
    virtual std::array<PrintTemplate, 2> printTemplates() const = 0;
    /// The active layer of the window, with its radio buttons and menu checks.
    virtual void setActiveLayer(int layer) = 0;
    /// Draws contours, open paths and problem rings over the board until the board changes, or
    /// clears them.
    virtual void showMarkers(std::vector<std::vector<TPoint>> contours, std::vector<TPoint> places,
                             std::vector<std::vector<TPoint>> openPaths = {}) = 0;
    virtual void clearMarkers() = 0;
    /// The board area routes with the autorouter tool (or stops).
    virtual void setAutorouterActive(bool active) = 0;
    /// Puts a text into the hint field of the status line as one line (what an export wrote).
    virtual void showHint(const QString& text) = 0;
    /// The screen resolution old font texts are measured at.
    virtual double pixelsPerInch() const = 0;
    /// The parent of the dialogs the controllers make.
    virtual QWidget* dialogParent() = 0;
    /// True while the window is closing: no new questions then.
    virtual bool closing() const = 0;
};

} // namespace trevok
