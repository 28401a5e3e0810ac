#pragma once
// The main window of the editor: menus, tool bar, rulers, the board area with its tabs, the
// status line and the navigator. It owns the project for the whole run and connects every
// command to the core; the geometry, file and edit logic live there, not here.
//
// The work of the commands is done by controllers, one per concern (files and recovery, boards,
// exports with milling and printing, the design check, routing); they reach the person at the
// screen only through the Shell, which the window implements and which tests replace by a
// scripted one, and the window's own widgets only through WindowViews.

#include "app/recentfiles.h"
#include "app/settings.h"
#include "app/shell.h"
#include "document/atomicfile.h"
#include "document/messages.h"
#include "document/project.h"
#include "print/boardimage.h"
#include "print/printsheet.h"
#include "view/viewmodel.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDockWidget;
class QActionGroup;
class QButtonGroup;
class QLabel;
class QMenu;
class QPrinter;
class QRadioButton;
class QTabBar;
class QToolBar;
class QToolButton;

namespace trevok
{

class AutoSaver;
class BoardWidget;
class PropertyBar;
class StatusBarWidgets;
class TRealAnsichtDlg;
class EditSession;
class GridList;
class GridMenu;
class Navigator;
class Ruler;
class SettingsFile;
class TL_Groesse;
class TProjektInfoDlg;
class TUndoDlg;
class TColor_Dlg;
class TLayerInfo;
class TVorlageDlg;
class MacroPanel;
class MacroDropTarget;
struct LayoutReadResult;
struct EditResult;

class BoardsController;
class ChecksController;
class ExportController;
class FilesController;
class RoutingController;

class MainWindow : public QMainWindow, private WindowViews
{
    Q_OBJECT
  public:
    /// settingsPath: the settings file; empty means "TREVOK40.INI" in the per-user folder.
    /// The language of the run must be set (SetCurrentLanguage) before the window is made.
    /// shell: who answers the window's questions; none means the window's own boxes and
    /// dialogs. It must outlive the window.
    explicit MainWindow(const QString& settingsPath = {}, QWidget* parent = nullptr, Shell* shell = nullptr);
    ~MainWindow() override;

    /// The window title: "Trevok 4.0", and " - [path]" while a file name is set; a "*" at the
    /// end marks unsaved changes, as desktop programs do.
    static QString titleFor(const std::string& fileName, bool modified = false);

    /// Who answers the window's questions and shows its status line.
    Shell& shell() noexcept { return *shell_; }

    // --- the parts others read ------------------------------------------------------------------
    TProject& project() noexcept { return project_; }
    ViewModel& view() noexcept { return view_; }
    QTabBar* boardTabs() const noexcept { return tabs_; }
    const Settings& settings() const noexcept { return settings_; }
    const RecentFiles& recentFiles() const noexcept { return recent_; }
    AutoSaver& autoSaver() noexcept { return *autoSaver_; }
    /// The action of a menu item or tool-bar button by its control name.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QLabel* hintLabel() const noexcept { return hint_; }
    /// The current layout folder of the file dialogs.
    const QString& layoutFolder() const noexcept { return currentFolders_.layout; }

    // --- files ----------------------------------------------------------------------------------
    /// The file named on the command line, after the window is shown: opened when it exists and
    /// is a layout file (after the close question); any other file gives the "not a Trevok
    /// file" box. An empty path does nothing.
    void openStartFile(const QString& path);
    /// The close question and the closing of every board (`CloseProject`); false keeps the
    /// project as it is.
    bool CloseProject();
    void fileNew();
    void fileOpen();
    /// Opens a layout file by path (close question first); false when nothing was opened.
    bool openLayout(const QString& path);
    void reloadBoards();
    /// Save: to the current file name, else as Save as. False when nothing was written.
    bool fileSave();
    bool fileSaveAs();
    void openRecent(int index);

    /// Runs one command so that running out of memory, or any exception it throws, ends the
    /// command, not the program: the project is put back as it was (boards appended, the current
    /// board's list, the modified mark) and a message says what happened. False then.
    bool guardCommand(const std::function<void()>& command);

    // --- boards ---------------------------------------------------------------------------------
    void showBoard(int index);
    void addBoard();
    /// "Platine einrichten": the properties dialog for the current board; true on OK.
    bool boardProperties();
    void deleteBoard();
    void moveBoard(bool right, bool toEnd);

    // --- history, layers, view ------------------------------------------------------------------
    void undo();
    void redo();
    void setActiveLayer(int layer) override;
    void toggleLayerVisible(int layer);
    /// `SB_AutoMasse` pressed or `M_AutoMasse` chosen; either marks the layout modified.
    void setGroundPlane(bool on, bool fromButton);
    /// Refreshes every enabled state, check mark and caption from the project and the view.
    void updateCommandStates();
    /// The title from the file name and the modified mark; cheap when nothing changed.
    void updateTitle();

    /// The commands on the selection that need no argument.
    enum EditCommand {
        EditCopy,
        EditCut,
        EditPaste,
        EditDuplicate,
        EditDelete,
        EditSelectAll,
        EditRotate,
        EditMirrorH,
        EditMirrorV,
        EditGroup,
        EditUngroup,
        EditSnap,
        EditOtherSide,
        EditDeleteOutside
    };
    void editCommand(EditCommand command);
    void alignSelection(int mode);
    void setSelectionToLayer(int layer);
    /// The node menu: 0 new corner, 1 remove corner, 2 split track, 3 snap corner.
    void nodeCommand(int which);
    void arcDialog();
    /// "Eigenschaften..." (context menu, Alt+Enter, double click): true when the dialog was shown.
    bool propertiesDialog();
    BoardWidget* boardWidget() const noexcept { return board_; }

    // Macro library (mainwindow_macros.cpp)
    MacroPanel* macroPanel() const noexcept { return macroPanel_; }
    MacroDropTarget* macroDropTarget() const noexcept { return macroDrop_; }
    bool macroPanelShown() const;
    /// Makrofenster1, TB_Makro and the panel's own hide button.
    void setMacroPanelShown(bool shown);
    void chooseMacroRoot();
    /// "Makro speichern": the selection, or after a question the whole board, as a new macro.
    void saveMacro();
    EditSession* session() const noexcept { return session_.get(); }

    // Manufacturing data, pictures, milling files and printing (the export controller)
    void gerberExport();
    void drillExport();
    void imageExport(ImageFormat format);
    void fabricationSet();
    void isolationMilling();
    void outlineMilling();
    void gcodeMilling();
    void printBoard();
    void printerSetup();
    ExportController& exports() noexcept { return *exports_; }
    // The template pictures under the board (mainwindow_output.cpp)
    /// The current board's template pictures with their rectangles, for printing.
    std::array<PrintTemplate, 2> printTemplates() const override;
    /// "&Vorlage...": the template dialog on the page of the active side.
    void templateDialog();
    TVorlageDlg* templates() const noexcept;
    // Design check (the checks controller)
    /// "Designprüfung": the check window with the rules of the settings.
    void designCheck();
    ChecksController& checks() noexcept { return *checks_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    /// Swallows tool tips while hints are switched off.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // The shell's questions under the names the window's own commands use.
    QString askFileName(bool save, const QString& caption, const QString& folder, const QString& filter)
    {
        return shell_->askFileName(save, caption, folder, filter);
    }
    bool runDialog(QDialog& dialog) { return shell_->runDialog(dialog); }

    // WindowViews: the window's widgets follow what the controllers changed.
    void abortOperation() override;
    void setPaintingSuspended(bool suspended) override;
    void detachView() override;
    void boardsChanged() override { syncTabs(); }
    void boardSwitched() override;
    void repaintBoard() override;
    void commandsChanged() override { updateCommandStates(); }
    void titleChanged() override { updateTitle(); }
    void recentFilesChanged() override { updateRecentMenu(); }
    void showMarkers(std::vector<std::vector<TPoint>> contours, std::vector<TPoint> places,
                     std::vector<std::vector<TPoint>> openPaths) override;
    void clearMarkers() override;
    void setAutorouterActive(bool active) override;
    void showHint(const QString& text) override;
    ImageOptions viewImageOptions(TBoard& board, ImageFormat format) override;
    const ColourScheme& colourScheme() const override;
    double pixelsPerInch() const override { return logicalDpiX(); }
    QWidget* dialogParent() override { return this; }
    bool closing() const override { return closing_; }

    // mainwindow.cpp
    void buildCentralArea();
    void buildStatusBar();
    void buildMacroPanel();
    void buildTemplates(); // mainwindow_output.cpp
    void readMacroSettings();
    void writeMacroSettings();
    void readSettings();
    void writeSettings();
    void loadLiveState(TBoard& board);
    void storeLiveState(TBoard& board);
    void syncTabs();
    void syncLayerControls();
    void viewChanged(unsigned changes);
    void showMessage(MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon);
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons);
    void finishEdit(const EditResult& result);
    void openBoardMenu(const QString& name, QPoint globalPos);

    // mainwindow_menus.cpp
    void buildActions();
    void buildMenus();
    void buildToolBar();
    QAction* makeAction(const char* name, void (MainWindow::*slot)() = nullptr, bool enabled = true);
    QAction* makeAction(const char* name, std::function<void()> run, bool enabled = true);
    QToolButton* makeToolButton(const char* name, int tool, const char* iconName, bool enabled);
    void updateRecentMenu();
    void chooseTool(int tool);

    // mainwindow_files.cpp: the file and board commands, handed to their controllers
    void autoSaveDialog();
    void workingFoldersDialog();
    void offerFontTextConversion();

    // mainwindow_edit.cpp
    void projectInfoDialog();
    void undoDepthDialog();
    void colourDialog();
    void layerInfoWindow();
    void toggleHints(bool on);
    void setInchUnit(bool inch);
    void zoomCommand(int which);
    void photoView();
    /// "&Luftlinien entfernen": removes the connections the copper realises and reports.
    void clearConnections();
    /// The router window of the autorouter tool.
    void routerWindow();

    std::unique_ptr<Shell> ownShell_; // the window's own boxes and dialogs
    Shell* shell_ = nullptr;
    TProject project_;
    ViewModel view_;
    std::unique_ptr<SettingsFile> settingsFile_;
    Settings settings_;
    WorkingFolders currentFolders_;
    RecentFiles recent_;
    std::unique_ptr<GridList> grids_;
    std::unique_ptr<AutoSaver> autoSaver_;

    // Widgets
    QToolBar* toolBar_ = nullptr;
    BoardWidget* board_ = nullptr;
    MacroPanel* macroPanel_ = nullptr;
    QDockWidget* macroDock_ = nullptr;
    MacroDropTarget* macroDrop_ = nullptr;
    std::unique_ptr<EditSession> session_;
    Ruler* hRuler_ = nullptr;
    Ruler* vRuler_ = nullptr;
    Navigator* navigator_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QLabel* hint_ = nullptr;
    QString hintBeforeBackup_;
    QLabel* xPos_ = nullptr;
    QLabel* yPos_ = nullptr;
    GridMenu* gridMenu_ = nullptr;
    QToolButton* gridButton_ = nullptr;
    QToolButton* unitButton_ = nullptr;
    QToolButton* groundPlaneButton_ = nullptr;
    QButtonGroup* toolButtons_ = nullptr;
    std::array<QRadioButton*, 4> layerRadios_{};
    std::array<QToolButton*, 4> layerButtons_{};
    std::array<QAction*, 4> recentActions_{};
    QAction* recentSeparator_ = nullptr;
    QActionGroup* activeLayerGroup_ = nullptr;

    // Long-lived dialogs
    QPointer<TColor_Dlg> colourDlg_;
    QPointer<TLayerInfo> layerInfo_;
    QPointer<TRealAnsichtDlg> photoDlg_;
    QPointer<TVorlageDlg> vorlageDlg_; // holds the current board's template pictures
    PropertyBar* properties_ = nullptr;
    StatusBarWidgets* statusWidgets_ = nullptr;

    bool closing_ = false;
    bool firstShow_ = true;

    // Made after the widgets they keep in step.
    std::unique_ptr<BoardsController> boards_;
    std::unique_ptr<FilesController> files_;
    std::unique_ptr<RoutingController> routing_;
    std::unique_ptr<ChecksController> checks_;
    std::unique_ptr<ExportController> exports_;
};

} // namespace trevok
