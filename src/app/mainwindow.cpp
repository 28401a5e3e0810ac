#include "app/mainwindow.h"

#include "app/autosave.h"
#include "app/boardscontroller.h"
#include "app/checkscontroller.h"
#include "app/exportcontroller.h"
#include "app/filescontroller.h"
#include "app/fonttextmeasure.h"
#include "app/macropanel.h"
#include "app/maintexts.h"
#include "app/routingcontroller.h"
#include "dialogs/autorouter.h"
#include "dialogs/colordlg.h"
#include "dialogs/cp1252validator.h"
#include "dialogs/dialogbuttons.h"
#include "dialogs/linientextdlg.h"
#include "dialogs/realansichtdlg.h"
#include "dialogs/txtdlg.h"
#include "dialogs/vieleckdlg.h"
#include "dialogs/vorlagedlg.h"
#include "document/undo.h"
#include "edit/session.h"
#include "edit/textedit.h"
#include "view/colours.h"
#include "view/gridlist.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/gridmenu.h"
#include "view/widgets/measurepanel.h"
#include "view/widgets/navigator.h"
#include "view/widgets/propertybar.h"
#include "view/widgets/ruler.h"
#include "view/widgets/statusbarwidgets.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

/// The window's own answers: real message boxes and dialogs, the desktop's file manager, the
/// hint field of the status line.
class WindowShell final : public Shell
{
  public:
    explicit WindowShell(MainWindow& window) : window_(window) {}

    QMessageBox::StandardButton messageBox(QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons) override
    {
        return ShowMessageBox(&window_, icon, caption, text, buttons);
    }
    QString askFileName(bool save, const QString& caption, const QString& folder,
                        const QString& filter) override
    {
        return save ? QFileDialog::getSaveFileName(&window_, caption, folder, filter)
                    : QFileDialog::getOpenFileName(&window_, caption, folder, filter);
    }
    bool runDialog(QDialog& dialog) override { return dialog.exec() == QDialog::Accepted; }
    QMessageBox::StandardButton askDesignProblems(const QString& text) override
    {
        return AskDesignProblemsBox(&window_, text);
    }
    bool openFolder(const QString& folder) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    void showStatus(const QString& text) override
    {
        if (QLabel* hint = window_.hintLabel())
            hint->setText(text);
    }

  private:
    MainWindow& window_;
};

} // namespace

MainWindow::MainWindow(const QString& settingsPath, QWidget* parent, Shell* shell)
    : QMainWindow(parent), settingsFile_(std::make_unique<SettingsFile>(settingsPath)),
      grids_(std::make_unique<GridList>())
{
    setObjectName(QStringLiteral("Form1"));
    if (!shell) {
        ownShell_ = std::make_unique<WindowShell>(*this);
        shell = ownShell_.get();
    }
    shell_ = shell;

    // The view follows the current board: its live state goes into the record when another
    // board becomes current or the project is written, and comes back when it returns.
    project_.StoreLiveState = [this](TBoard& board) { storeLiveState(board); };
    project_.LoadLiveState = [this](TBoard& board) { loadLiveState(board); };
    project_.HistoryChanged = [this] { updateCommandStates(); };
    // Not every change of the modified mark passes through the history (board moves, project
    // information, properties): the title follows it whenever the event loop falls idle.
    if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance())
        connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::updateTitle);

    autoSaver_ = std::make_unique<AutoSaver>(project_, this);
    WindowViews& views = *this;
    boards_ = std::make_unique<BoardsController>(project_, view_, *shell_, views);
    files_ = std::make_unique<FilesController>(
        FilesController::Parts{project_, *autoSaver_, settings_, *settingsFile_, recent_, currentFolders_},
        *boards_, *shell_, views);
    // The status line shows the backup while it is written, then what it showed before.
    connect(autoSaver_.get(), &AutoSaver::backupStarted, this, [this](const QString&) {
        hintBeforeBackup_ = hint_->text();
        hint_->setText(AutoSaveStatusText());
    });
    connect(autoSaver_.get(), &AutoSaver::backupFinished, this,
            [this](bool, const QString&, const QString&) { hint_->setText(hintBeforeBackup_); });

    buildActions();
    buildMenus();
    buildToolBar();
    buildCentralArea();
    buildStatusBar();
    buildMacroPanel();
    routing_ = std::make_unique<RoutingController>(project_, *session_, settings_, *shell_, views);
    checks_ = std::make_unique<ChecksController>(
        ChecksController::Parts{project_, settings_, view_, *session_}, *shell_, views);
    exports_ = std::make_unique<ExportController>(
        ExportController::Parts{project_, settings_, currentFolders_, view_, *session_}, *files_, *checks_,
        *shell_, views);
    connect(&view_, &ViewModel::changed, this, &MainWindow::viewChanged);

    colourDlg_ = new TColor_Dlg(this);
    connect(colourDlg_, &TColor_Dlg::coloursChanged, this, [this] {
        board_->setColourScheme(CurrentColours());
        macroPanel_->setColours(CurrentColours());
    });

    buildTemplates();
    readSettings();
    connect(autoSaver_.get(), &AutoSaver::backupFinished, this,
            [this](bool ok, const QString& path, const QString& error) {
                files_->autoSaveFinished(ok, path, error);
            });
    board_->setColourScheme(CurrentColours());
    ApplyMainTexts(this);

    startNewProject(project_, CurrentLanguage());
    syncTabs();
    updateTitle();
    updateCommandStates();
    // The usual size, but never more than the screen offers (a 1024 × 768 screen cut off the
    // macro panel and the status line).
    QSize size(1100, 760);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size());
    resize(size);
}

MainWindow::~MainWindow()
{
    board_->setSession(nullptr);
    if (macroDrop_)
        macroDrop_->setSession(nullptr);
    properties_->setSession(nullptr);
    statusWidgets_->setSession(nullptr);
    session_.reset();
    // The hooks point into this window; the project outlives nothing but must not call them.
    project_.StoreLiveState = nullptr;
    project_.LoadLiveState = nullptr;
    project_.HistoryChanged = nullptr;
    view_.detachBoard();
    // The widgets below hold references to the view model and the grid list, members that die
    // before QWidget's destructor would delete its children.
    delete takeCentralWidget();
    delete gridMenu_;
}

QString MainWindow::titleFor(const std::string& fileName, bool modified)
{
    QString title = QStringLiteral("Trevok 4.0");
    if (!fileName.empty())
        title += QStringLiteral(" - [") + QString::fromStdString(fileName) + QLatin1Char(']');
    if (modified)
        title += QLatin1Char('*');
    return title;
}

void MainWindow::updateTitle()
{
    setWindowTitle(titleFor(project_.FileName, project_.Modified));
}

QAction* MainWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* MainWindow::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

// ---------------------------------------------------------------------------------------------
// Layout of the window

void MainWindow::buildCentralArea()
{
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    hRuler_ = new Ruler(Qt::Horizontal, view_, central);
    hRuler_->setObjectName(QStringLiteral("HScalePaintBox"));
    vRuler_ = new Ruler(Qt::Vertical, view_, central);
    vRuler_->setObjectName(QStringLiteral("VScalePaintbox"));

    board_ = new BoardWidget(project_, view_, central);
    board_->setObjectName(QStringLiteral("ScrollBoxEx1"));
    board_->setMinimumSize(200, 150);
    session_ = std::make_unique<EditSession>(project_, *board_, CurrentLanguage());
    board_->setSession(session_.get());
    properties_->setSession(session_.get());
    connect(properties_, &PropertyBar::padIconChanged, this, [this](const QIcon& icon) {
        if (QAbstractButton* pad = toolButtons_->button(ToolPad))
            pad->setIcon(icon);
    });
    connect(board_, &BoardWidget::cursorMoved, this, [this](QPoint pixel, TPoint) {
        hRuler_->setMarker(pixel.x());
        vRuler_->setMarker(pixel.y());
    });
    connect(board_, &BoardWidget::cursorLeft, this, [this] {
        hRuler_->hideMarker();
        vRuler_->hideMarker();
    });
    connect(board_, &BoardWidget::menuRequested, this, &MainWindow::openBoardMenu);
    connect(board_, &BoardWidget::sessionSelectionChanged, this, [this] {
        if (properties_)
            properties_->selectionChanged();
        if (statusWidgets_)
            statusWidgets_->showParameters();
        updateCommandStates();
    });
    connect(board_, &BoardWidget::sessionParametersChanged, this, [this] {
        if (properties_)
            properties_->showParameters();
        if (statusWidgets_)
            statusWidgets_->showParameters();
    });
    connect(board_, &BoardWidget::toolWindowsHideRequested, this, [this] {
        if (photoDlg_)
            photoDlg_->hide();
        if (routing_)
            routing_->hideWindow();
        board_->setAutorouterActive(false);
    });
    connect(board_, &BoardWidget::routerWindowRequested, this, &MainWindow::routerWindow);
    connect(board_, &BoardWidget::routerStatusChanged, this, [this](const QString& text) {
        if (routing_)
            routing_->setStatus(text);
    });
    // The measuring panel lives on the drawing area and follows the cursor.
    auto* measure = new MeasurePanelWidget(board_->viewport());
    measure->setObjectName(QStringLiteral("P_Messen"));
    connect(board_, &BoardWidget::measurePanelRequested, measure, &MeasurePanelWidget::showPanel);
    connect(board_, &BoardWidget::measurePanelHidden, measure, &QWidget::hide);
    board_->polygonParameterDialog = [this] {
        TVielEckDlg dialog(this);
        return dialog.edit(session_->polygonSettings(), [this](TVielEckDlg& d) { return runDialog(d); });
    };

    // Texts: the Text tool's dialog, its messages, and a double click on a text on the board.
    board_->layoutTextDialog = [this](LayoutTextSettings& settings, int& start) {
        TLinienText_Dlg dialog(this);
        return dialog.edit(settings, start, [this](TLinienText_Dlg& d) { return runDialog(d); });
    };
    board_->messageHandler = [this](MsgId id) { showMessage(id, {}, QMessageBox::Warning); };
    board_->propertiesEditor = [this] { return propertiesDialog(); };
    board_->textEditor = [this](TObjekt& text) {
        TBoard* b = project_.currentBoard();
        if (!b)
            return false;
        const auto it = std::find_if(b->Elements.begin(), b->Elements.end(),
                                     [&](const auto& e) { return e.get() == &text; });
        if (it == b->Elements.end())
            return false;
        const auto index = static_cast<std::size_t>(it - b->Elements.begin());
        const double ppi = logicalDpiX();
        EditResult result;
        if (text.Kind == KindLayoutText) {
            TLinienText_Dlg dialog(this);
            dialog.setNumberingAvailable(false);
            LayoutTextSettings settings = settingsOfLayoutText(text);
            int start = session_->textStart();
            if (!dialog.edit(settings, start, [this](TLinienText_Dlg& d) { return runDialog(d); }))
                return true;
            result = editLayoutText(project_, index, settings);
            // The old text stays when the new one would draw nothing; say why nothing changed.
            if (!result.changed)
                showMessage(MsgId::TextNotGenerated, {}, QMessageBox::Warning);
        } else if (text.Kind == KindFontText) {
            TTXT_Dlg dialog(this);
            FontTextSettings settings = settingsOfFontText(text, ppi);
            if (!dialog.edit(settings, [this](TTXT_Dlg& d) { return runDialog(d); }))
                return true;
            // The box of the text as bold "Arial" draws it at the new height.
            result = editFontText(project_, index, settings, ppi, DesktopFontTextMeasure());
        } else {
            return false;
        }
        if (result.changed)
            finishEdit(result);
        return true;
    };
    // Glyph authoring for developers: the selected tracks as a glyph string on the clipboard.
    auto* glyphAction = new QAction(this);
    glyphAction->setObjectName(QStringLiteral("GlyphAuthoring"));
    glyphAction->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_G));
    glyphAction->setShortcutContext(Qt::WindowShortcut);
    connect(glyphAction, &QAction::triggered, this, [this] {
        if (const TBoard* b = project_.currentBoard())
            QGuiApplication::clipboard()->setText(QString::fromStdString(glyphStringOfTracks(*b, b->Origin)));
    });
    addAction(glyphAction);
    connect(board_, &BoardWidget::sessionLayersChanged, this, [this] {
        syncLayerControls();
        updateCommandStates();
    });
    connect(board_, &BoardWidget::sessionToolChanged, this, [this](int tool) {
        if (QAbstractButton* button = toolButtons_->button(tool))
            button->setChecked(true);
        // Choosing a tool releases SB_Sperrflaeche in the session; the button must follow, or
        // the next click on it would switch restricted areas off instead of on.
        if (statusWidgets_)
            statusWidgets_->showParameters();
        updateCommandStates();
    });

    tabs_ = new QTabBar(central);
    tabs_->setObjectName(QStringLiteral("TabSet"));
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setExpanding(false);
    tabs_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != project_.Current)
            showBoard(index);
    });
    connect(tabs_, &QTabBar::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QMenu* tabMenu = menu(QStringLiteral("TabPopup")))
            tabMenu->popup(tabs_->mapToGlobal(at));
    });

    navigator_ = new Navigator(view_, central);
    navigator_->setObjectName(QStringLiteral("BV_PlatinenZoom"));

    grid->addWidget(hRuler_, 0, 0, 1, 2);
    grid->addWidget(vRuler_, 1, 0);
    grid->addWidget(board_, 1, 1);
    grid->addWidget(navigator_, 1, 2, Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(tabs_, 2, 1, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    hRuler_->setViewportOffset(Ruler::CornerWidth + 1);
    vRuler_->setViewportOffset(2);
    setCentralWidget(central);
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    statusWidgets_ = new StatusBarWidgets(this);
    statusWidgets_->addTo(bar);
    statusWidgets_->setSession(session_.get());
    hint_ = statusWidgets_->hintLabel();
    xPos_ = statusWidgets_->xLabel();
    yPos_ = statusWidgets_->yLabel();
    groundPlaneButton_ = statusWidgets_->groundPlaneButton();
    connect(statusWidgets_, &StatusBarWidgets::groundPlaneChanged, this, [this](bool) {
        syncLayerControls();
        board_->repaintAll();
    });
    connect(statusWidgets_, &StatusBarWidgets::boardChanged, this, [this](const TRect& area) {
        board_->invalidate(area);
        updateCommandStates();
    });
    // Tool hints come as "|long part"; the status line shows the long part.
    connect(board_, &BoardWidget::statusHintChanged, this,
            [this](const QString& text) { statusWidgets_->setHint(SplitHint(text).longPart); });
    connect(board_, &BoardWidget::coordinatesChanged, statusWidgets_, &StatusBarWidgets::setCoordinates);
}

bool MainWindow::event(QEvent* event)
{
    // The long hint of whatever the mouse is over goes to the hint label. Left to QMainWindow it
    // would become a temporary status message, which hides the coordinates and the ground-plane
    // controls while it is shown.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (!tip.isEmpty() && statusWidgets_)
            statusWidgets_->setHint(SplitHint(tip).longPart);
        return true;
    }
    return QMainWindow::event(event);
}

// ---------------------------------------------------------------------------------------------
// Settings

void MainWindow::readSettings()
{
    settings_ = settingsFile_->read();
    currentFolders_ = settings_.folders;
    recent_ = RecentFiles(settings_.recentFiles);
    project_.UndoDepth = settings_.undoDepth;
    {
        ViewModel::Batch batch(view_);
        view_.setGridVisible(settings_.gridVisible);
        view_.setGridMarking(settings_.gridMarking);
        view_.setNavigatorVisible(settings_.boardZoomShown);
    }
    navigator_->setVisible(settings_.boardZoomShown);
    std::vector<std::pair<std::int64_t, QString>> userGrids;
    for (const ParameterEntry& entry : settings_.userGrids)
        userGrids.emplace_back(entry.tag, entry.caption);
    grids_->setUserGrids(userGrids);
    colourDlg_->loadSchemes();
    colourDlg_->selectScheme(settings_.colourScheme);
    auto toFavourites = [](const std::vector<ParameterEntry>& entries) {
        std::vector<FavouriteEntry> out;
        for (const ParameterEntry& e : entries)
            out.push_back({e.tag, e.caption.toStdString()});
        return out;
    };
    properties_->favourites(FavouriteKind::TrackWidth).setEntries(toFavourites(settings_.trackWidths));
    properties_->favourites(FavouriteKind::PadSize).setEntries(toFavourites(settings_.padSizes));
    properties_->favourites(FavouriteKind::SmdSize).setEntries(toFavourites(settings_.smdSizes));
    autoSaver_->setInterval(settings_.autoSaveTime);
    autoSaver_->setEnabled(settings_.autoSave);
    toggleHints(settings_.hintsShown);
    action(QStringLiteral("M_ZoomAmMauszeiger"))->setChecked(settings_.zoomAtCursor);
    action(QStringLiteral("M_PruefenVorExport"))->setChecked(settings_.checkBeforeExport);
    board_->setWheelZoomAtCursor(settings_.zoomAtCursor);
    action(QStringLiteral("M_LeiterbahnenMitziehen"))->setChecked(settings_.dragTracks);
    session_->setDragConnectedTracks(settings_.dragTracks);
    updateRecentMenu();
    readMacroSettings();
}

void MainWindow::writeSettings()
{
    writeMacroSettings();
    settings_.hintsShown = action(QStringLiteral("Hinweistexte1"))->isChecked();
    settings_.autoSave = autoSaver_->isEnabled();
    settings_.autoSaveTime = autoSaver_->interval();
    settings_.colourScheme = colourDlg_ ? colourDlg_->schemeIndex() : settings_.colourScheme;
    settings_.boardZoomShown = view_.navigatorVisible();
    settings_.undoDepth = project_.UndoDepth;
    settings_.gridMarking = view_.gridMarking();
    settings_.gridVisible = view_.gridVisible();
    settings_.recentFiles = recent_.paths();
    settings_.userGrids.clear();
    for (const GridEntry& entry : grids_->userGrids())
        settings_.userGrids.push_back({static_cast<int>(entry.Tag), entry.Caption});
    auto fromFavourites = [](const FavouriteList& list) {
        std::vector<ParameterEntry> out;
        for (const FavouriteEntry& e : list.entries())
            out.push_back({e.tag, QString::fromStdString(e.caption)});
        return out;
    };
    settings_.trackWidths = fromFavourites(properties_->favourites(FavouriteKind::TrackWidth));
    settings_.padSizes = fromFavourites(properties_->favourites(FavouriteKind::PadSize));
    settings_.smdSizes = fromFavourites(properties_->favourites(FavouriteKind::SmdSize));
    routing_->storePlace();
    checks_->storeRules();
    settingsFile_->writeAll(settings_);
}

// ---------------------------------------------------------------------------------------------
// The current board and the view

void MainWindow::storeLiveState(TBoard& board)
{
    view_.storeInto(board);
    if (vorlageDlg_)
        vorlageDlg_->storeToBoard(board);
}

void MainWindow::loadLiveState(TBoard& board)
{
    view_.loadFrom(board);
    if (vorlageDlg_ && !closing_)
        vorlageDlg_->loadFromBoard(board);
    syncLayerControls();
    if (!closing_)
        repaintBoard();
}

void MainWindow::syncTabs()
{
    const QSignalBlocker blocker(tabs_);
    while (tabs_->count() > static_cast<int>(project_.Boards.size()))
        tabs_->removeTab(tabs_->count() - 1);
    for (int i = 0; i < static_cast<int>(project_.Boards.size()); ++i) {
        const QString name = QString::fromLatin1(project_.Boards[i]->Name.c_str());
        if (i < tabs_->count())
            tabs_->setTabText(i, name);
        else
            tabs_->addTab(name);
    }
    if (project_.Current >= 0)
        tabs_->setCurrentIndex(project_.Current);
}

void MainWindow::syncLayerControls()
{
    const TBoard* board = project_.currentBoard();
    if (!board)
        return;
    for (int layer = 1; layer <= 4; ++layer) {
        const auto i = static_cast<std::size_t>(layer - 1);
        {
            const QSignalBlocker blocker(layerRadios_[i]);
            layerRadios_[i]->setChecked(board->ActiveLayer == layer);
        }
        // A visible layer shows its caption in bold.
        QFont font = layerButtons_[i]->font();
        font.setBold(IsLayerVisible(*board, layer));
        layerButtons_[i]->setFont(font);
        layerButtons_[i]->setChecked(IsLayerVisible(*board, layer));
    }
    const QString activeNames[] = {QStringLiteral("K1"), QStringLiteral("B1"), QStringLiteral("K2"),
                                   QStringLiteral("B2")};
    const QString visibleNames[] = {QStringLiteral("SK1"), QStringLiteral("SB1"), QStringLiteral("SK2"),
                                    QStringLiteral("SB2")};
    for (int layer = 1; layer <= 4; ++layer) {
        if (QAction* a = action(activeNames[layer - 1]))
            a->setChecked(board->ActiveLayer == layer);
        if (QAction* a = action(visibleNames[layer - 1])) {
            a->setChecked(IsLayerVisible(*board, layer));
            a->setEnabled(board->ActiveLayer != layer);
        }
    }
    if (macroPanel_)
        macroPanel_->activeLayerChanged();
    const bool plane = GroundPlaneOn(*board, board->ActiveLayer);
    statusWidgets_->syncGroundPlane();
    if (QAction* a = action(QStringLiteral("M_AutoMasse")))
        a->setChecked(plane);
}

void MainWindow::viewChanged(unsigned changes)
{
    if (changes & ViewModel::GridChanged)
        gridButton_->setText(view_.gridCaption());
    if (changes & ViewModel::UnitChanged) {
        unitButton_->setText(UnitButtonCaption(view_.inchUnit()));
        if (QAction* a = action(view_.inchUnit() ? QStringLiteral("E_Zoll") : QStringLiteral("E_MM")))
            a->setChecked(true);
    }
    if (changes & ViewModel::NavigatorShownChanged) {
        navigator_->setVisible(view_.navigatorVisible());
        action(QStringLiteral("M_PlatinenZoom"))->setChecked(view_.navigatorVisible());
    }
    if (changes & ViewModel::HistoryChanged)
        updateCommandStates();
    if (changes & (ViewModel::RepaintNeeded | ViewModel::GridDisplayChanged | ViewModel::GridChanged))
        repaintBoard();
}

void MainWindow::repaintBoard()
{
    if (board_)
        board_->repaintAll();
}

void MainWindow::showMarkers(std::vector<std::vector<TPoint>> contours, std::vector<TPoint> places,
                             std::vector<std::vector<TPoint>> openPaths)
{
    board_->setMillingOverlay(std::move(contours), std::move(places), std::move(openPaths));
}

void MainWindow::clearMarkers()
{
    board_->clearMillingOverlay();
}

void MainWindow::setAutorouterActive(bool active)
{
    board_->setAutorouterActive(active);
}

void MainWindow::showHint(const QString& text)
{
    statusWidgets_->setHint(text);
}

ImageOptions MainWindow::viewImageOptions(TBoard& board, ImageFormat format)
{
    storeLiveState(board);
    ImageOptions options = ImageOptions::fromBoard(board, format);
    options.colours = board_->colourScheme();
    options.drawTemplate = board_->templateDrawer;
    return options;
}

const ColourScheme& MainWindow::colourScheme() const
{
    return board_->colourScheme();
}

// ---------------------------------------------------------------------------------------------
// Messages

QMessageBox::StandardButton MainWindow::ask(QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons)
{
    return Ask(*shell_, icon, caption, text, buttons);
}

void MainWindow::showMessage(MsgId id, const std::vector<std::string>& args, QMessageBox::Icon icon)
{
    ask(icon, CaptionQ(id), MessageQ(id, args), QMessageBox::Ok);
}

// ---------------------------------------------------------------------------------------------
// Start and end of the run

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstShow_) {
        firstShow_ = false;
        board_->setFocus();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!CloseProject()) {
        event->ignore();
        return;
    }
    closing_ = true;
    writeSettings();
    autoSaver_->setEnabled(false);
    autoSaver_->waitForWrite();
    event->accept();
}

} // namespace trevok
