#pragma once
// The property fields of the tool bar: track width, pad diameters, SMD size, the pad shape with
// through-plating, and the three favourite lists. They hold the values new elements are made
// with and edit the selection at the same time; the rules live in ToolProperties of the editing
// session, this widget shows them and passes the user's edits on.
//
// The main window puts the bar into its tool bar, calls showParameters() whenever the session
// reports selectionChanged or parametersChanged, and repaints what boardChanged names.

#include "document/objekt.h"
#include "edit/favourites.h"
#include "edit/properties.h"

#include <QHash>
#include <QWidget>

#include <array>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;
class QToolButton;

namespace trevok
{

class EditSession;
class TLaySpinEdit;

/// The caption of a pad shape (codes 1..9) in the language of the run, as the shape menu shows it.
QString PadShapeCaption(int shape);

class PropertyBar : public QWidget
{
    Q_OBJECT
  public:
    explicit PropertyBar(QWidget* parent = nullptr);

    /// The session whose parameters and selection the fields serve; none disables the fields.
    void setSession(EditSession* session);
    EditSession* session() const noexcept { return session_; }

    /// The numeric field of SE_Breite, SE_Aussen, SE_Innen, SE_SMDPad_X, SE_SMDPad_Y
    /// (ParamField::Freistanz belongs to the status bar and gives nullptr here).
    TLaySpinEdit* field(ParamField f) const noexcept;

    /// The favourite list of a kind; the main window loads and saves them with the settings.
    FavouriteList& favourites(FavouriteKind kind) noexcept;
    const FavouriteList& favourites(FavouriteKind kind) const noexcept;
    /// The drop-down buttons SB_LineContainer, SB_LoetaugenContainer, SB_SMDContainer.
    QToolButton* favouriteButton(FavouriteKind kind) const noexcept;
    /// Fills a list's menu for the current values (check marks, enabled commands), as opening
    /// it does.
    QMenu* favouriteMenu(FavouriteKind kind) const noexcept;
    void rebuildFavouriteMenu(FavouriteKind kind);

    /// LAForm_Popup: the nine shapes (checkable, tag = code) and Durchkontaktierung1. The main
    /// window may hang it on its pad tool button SB_Circle as well.
    QMenu* padShapeMenu() const noexcept { return shapeMenu_; }
    QAction* shapeAction(int shape) const noexcept;
    QAction* throughPlatingAction() const noexcept { return plating_; }
    /// The small button of the bar showing the current shape, with LAForm_Popup.
    QToolButton* padShapeButton() const noexcept { return shapeButton_; }
    /// The picture of the current shape (through-plated set while through-plating is on).
    QIcon currentPadIcon() const;

    /// Shows the session's parameters: field texts and colours, shape check, through-plating.
    void showParameters();
    /// After the selection changed (the session has already taken the selection's values).
    void selectionChanged();
    /// The mouse is over a tool button (tool code) or has left it (-1): the fields the tool
    /// uses are highlighted meanwhile.
    void hoverTool(int tool);
    /// Calls hoverTool(tool) while the mouse is over the button (the main window's tool buttons).
    void watchToolButton(QWidget* button, int tool);

  signals:
    /// Elements of the current board changed; repaint the area (board units).
    void boardChanged(const trevok::TRect& area);
    /// Tool values changed (pictures, menus); the undo buttons may need refreshing.
    void parametersChanged();
    /// The picture for the pad tool button changed.
    void padIconChanged(const QIcon& icon);
    /// A favourite list changed ("Hinzufügen"/"Entfernen"); the settings should be written.
    void favouritesChanged(trevok::FavouriteKind kind);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFields();
    void buildShapeMenu();
    void buildFavourites();
    void fieldEntered(ParamField f);
    void fieldExited(ParamField f);
    void fieldChanged(ParamField f, const QString& text);
    void report(const std::optional<TRect>& area);
    void chooseShape(int shape);
    void togglePlating(bool on);
    void favouriteTriggered(FavouriteKind kind, int index);
    void addFavourite(FavouriteKind kind);
    void removeFavourite(FavouriteKind kind);
    void applyHighlights();

    EditSession* session_ = nullptr;
    std::array<TLaySpinEdit*, 5> fields_{};
    std::array<FavouriteList, 3> lists_{FavouriteList(FavouriteKind::TrackWidth),
                                        FavouriteList(FavouriteKind::PadSize),
                                        FavouriteList(FavouriteKind::SmdSize)};
    std::array<QToolButton*, 3> listButtons_{};
    std::array<QMenu*, 3> listMenus_{};
    QMenu* shapeMenu_ = nullptr;
    QActionGroup* shapeGroup_ = nullptr;
    std::array<QAction*, 9> shapeActions_{};
    QAction* plating_ = nullptr;
    QToolButton* shapeButton_ = nullptr;
    QHash<QObject*, int> watched_;
    int hoverTool_ = -1;
    int wheelVisit_ = -1;   // the field whose wheel is held while it has no focus
    bool updating_ = false; // showing values: the fields' change signals are not edits
};

} // namespace trevok
