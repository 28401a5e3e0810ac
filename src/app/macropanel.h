#pragma once
// The macro library panel P_Makro on the right of the main window: the folder menu, the list of
// macro files of the chosen folder, the preview (a drag source), the two comment lines and the
// option buttons. The macro logic lives in edit/macrolibrary; this file only shows it.
//
// MacroDropTarget makes the drawing area accept macros dragged from the panel: the macro follows
// the snapped cursor as a move preview and is placed on the drop.

#include "document/objekt.h"
#include "edit/editcommands.h"
#include "edit/macrolibrary.h"
#include "view/colours.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QToolButton;

namespace trevok
{

class BoardWidget;
class EditSession;
class MacroPreviewView;

/// The mime type of a macro being dragged; its data is the macro file's path.
inline constexpr const char* MacroMimeType = "application/x-trevok-macro";

class MacroPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit MacroPanel(QWidget* parent = nullptr);
    ~MacroPanel() override;

    /// How the panel asks and tells (set by the main window, replaced by tests).
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString& caption, const QString& text,
                                              QMessageBox::StandardButtons)>
        messageBox;
    /// The folder browser MakroBrowseDlg; empty when cancelled.
    std::function<QString(const QString& caption, const QString& start)> askFolder;
    /// The active layer of the current board, for the automatic side match.
    std::function<int()> activeLayer;
    /// The grid old font texts of a macro are converted with.
    std::function<double()> grid;

    /// Sets the root folder and the sub-folder shown ("...", ".." or a path below the root);
    /// a root that does not exist falls back to `fallbackRoot`, a sub-folder that does not exist
    /// to the root (shown as "..."). Rebuilds the folder menu and lists the folder.
    void setFolders(const QString& root, const QString& subFolder, const QString& fallbackRoot);
    const QString& root() const noexcept { return root_; }
    /// The sub-folder as SB_MakroDir shows it and the settings keep it.
    const QString& subFolder() const noexcept { return subFolder_; }
    /// The folder whose macros are listed.
    QString currentFolder() const;

    /// "Makro-Stammverzeichnis...": the folder browser, then the new root with ".." shown.
    void chooseRoot();
    /// Selects a folder by its menu captions from the top menu down (what a MakroPopup item does).
    void selectFolder(const QStringList& captions);
    /// Lists the current folder again and chooses `fileName` (else the entry at `row`, else the
    /// last one, else the first) and loads it.
    void refreshList(const QString& fileName = {}, int row = 0);
    /// Deletes the chosen macro after the question.
    void deleteMacro();
    /// The chosen macro file (empty when none).
    QString currentFile() const;

    MacroPreview& preview() noexcept { return preview_; }
    const MacroPreview& preview() const noexcept { return preview_; }
    /// Loads a macro file into the preview, as choosing it in the list does.
    void loadMacro(const QString& path);
    /// The active layer may have changed: the automatic side match is made again for it, so
    /// that the preview and the option buttons show what a drop places.
    void activeLayerChanged();
    /// Writes back changed comment lines (before closing).
    void writeBackComments();
    /// The background colour of the preview.
    void setColours(const ColourScheme& colours);
    const ColourScheme& colours() const noexcept { return colours_; }

    QMenu* folderMenu() const noexcept { return folderMenu_; }
    QListWidget* fileList() const noexcept { return list_; }
    MacroPreviewView* previewView() const noexcept { return view_; }
    /// True when a drag came from this panel's preview or list.
    bool isDragSource(const QObject* source) const noexcept;

  signals:
    /// SB_MakroSave was pressed.
    void saveRequested();
    /// The hide button SpeedButton1 was pressed.
    void hideRequested();
    /// The root or the sub-folder changed (for the settings).
    void foldersChanged();

  private:
    void buildFolderMenu();
    void fillMenu(QMenu* menu, const MacroFolder& folder, const QStringList& captions);
    void showLoadResult(const MacroLoadResult& result);
    void showOptions();
    void optionToggled(int which, bool down);
    void commentEdited(int line, const QString& text);
    void warn(const TrevokError& error);
    QMessageBox::StandardButton tell(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                     QMessageBox::StandardButtons buttons);

    MacroPreview preview_;
    ColourScheme colours_ = ColourScheme::Standard();
    QString root_;
    QString subFolder_ = QStringLiteral("...");
    QToolButton* dirButton_ = nullptr;
    QMenu* folderMenu_ = nullptr;
    QListWidget* list_ = nullptr;
    MacroPreviewView* view_ = nullptr;
    QLineEdit* comment1_ = nullptr;
    QLineEdit* comment2_ = nullptr;
    QToolButton* mirror_ = nullptr;
    QToolButton* side_ = nullptr;
    QToolButton* plated_ = nullptr;
    bool showing_ = false; // the widgets are being filled from the preview
    int matchedLayer_ = 0; // the active layer the side match was last made for
};

/// The preview PB_Makro: the macro fitted into the widget, and the start of a drag.
class MacroPreviewView : public QWidget
{
    Q_OBJECT
  public:
    MacroPreviewView(MacroPanel& panel, QWidget* parent);
    /// The scale (pixels per unit) and the device position of the macro origin for a size.
    struct Fit {
        double scale = 0.01;
        double originX = 0;
        double originY = 0;
    };
    static Fit fitFor(const TRect& bounds, QSize size);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    MacroPanel& panel_;
    QPoint pressAt_;
    bool pressed_ = false;
};

/// Starts the drag of the chosen macro from a widget of the panel.
void StartMacroDrag(MacroPanel& panel, QWidget* source);

/// Makes the drawing area a drop target for macros dragged from the panel.
class MacroDropTarget : public QObject
{
    Q_OBJECT
  public:
    MacroDropTarget(BoardWidget& board, MacroPanel& panel);
    /// The session that places the macro (none: drops are refused).
    void setSession(EditSession* session) noexcept { session_ = session; }

    /// The offset the macro would be placed at for a viewport pixel (tests and the events).
    TPoint offsetAt(QPoint viewportPixel, bool ctrl) const;
    /// Shows the move preview at a viewport pixel; false when no drop is possible there.
    bool dragTo(QPoint viewportPixel, bool ctrl);
    void dragLeft();
    /// Places the macro for a drop at a viewport pixel.
    EditResult dropAt(QPoint viewportPixel, bool ctrl);

  signals:
    /// A macro was placed: the main window repaints and shows the new selection.
    void dropped(const EditResult& result);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    BoardWidget& board_;
    MacroPanel& panel_;
    EditSession* session_ = nullptr;
    TPoint shownOffset_;
};

} // namespace trevok
