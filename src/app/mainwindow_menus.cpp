// The main window's actions, menus and tool bar. Every menu item and button carries the control
// name of the text table as its object name, so that ApplyMainTexts gives it its texts in the
// language of the run.

#include "app/mainwindow.h"

#include "app/maintexts.h"
#include "dialogs/help.h"
#include "dialogs/rasterdlg.h"
#include "edit/session.h"
#include "view/gridlist.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/gridmenu.h"
#include "view/widgets/propertybar.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>

namespace trevok
{

namespace
{

/// A theme icon with our own drawing as the fallback.
QIcon themedIcon(const char* themeName, const char* ownName)
{
    const QString own = QStringLiteral(":/icons/") + QString::fromLatin1(ownName) + QStringLiteral(".svg");
    const QIcon fallback = QFileInfo::exists(own) ? QIcon(own) : QIcon();
    return themeName ? QIcon::fromTheme(QString::fromLatin1(themeName), fallback) : fallback;
}

} // namespace

QAction* MainWindow::makeAction(const char* name, void (MainWindow::*slot)(), bool enabled)
{
    auto* a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    a->setEnabled(enabled);
    if (slot)
        connect(a, &QAction::triggered, this,
                [this, slot] { guardCommand([this, slot] { (this->*slot)(); }); });
    return a;
}

QAction* MainWindow::makeAction(const char* name, std::function<void()> run, bool enabled)
{
    QAction* a = makeAction(name, nullptr, enabled);
    connect(a, &QAction::triggered, this, [this, run = std::move(run)] { guardCommand(run); });
    return a;
}

void MainWindow::buildActions()
{
    // File
    makeAction("Neu1", &MainWindow::fileNew)->setShortcut(QKeySequence::New);
    makeAction("ffnen1", &MainWindow::fileOpen)->setShortcut(QKeySequence::Open);
    makeAction("Speichern1", [this] { fileSave(); })->setShortcut(QKeySequence::Save);
    makeAction("Speichernals1", [this] {
        fileSaveAs();
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    makeAction("Makrospeichern1", &MainWindow::saveMacro);
    makeAction("Autospeichern1", &MainWindow::autoSaveDialog);
    makeAction("Arbeitsverzeichnisse1", &MainWindow::workingFoldersDialog);
    makeAction("Druckereinrichten1", &MainWindow::printerSetup);
    makeAction("Drucken1", &MainWindow::printBoard)->setShortcut(QKeySequence::Print);
    makeAction("GerberFormat1", &MainWindow::gerberExport);
    makeAction("BohrDatenExcellon1", &MainWindow::drillExport);
    makeAction("Fertigungssatz1", &MainWindow::fabricationSet)
        ->setText(T("&Fertigungssatz...", "&Fabrication set...", "&Jeu de fabrication..."));
    // Images of the board; their captions name the format and are the same in every language.
    const std::pair<const char*, ImageFormat> images[] = {
        {"Bitmap1", ImageFormat::Bmp}, {"GIF1", ImageFormat::Gif}, {"EMF1", ImageFormat::Emf},
        {"PNG1", ImageFormat::Png},    {"SVG1", ImageFormat::Svg}, {"PDF1", ImageFormat::Pdf}};
    for (const auto& [name, format] : images) {
        const ImageFormat f = format;
        QAction* a = makeAction(name, [this, f] { imageExport(f); });
        a->setText(QStringLiteral("%1 (*.%2)...")
                       .arg(f == ImageFormat::Bmp ? QStringLiteral("Bitmap")
                                                  : QString::fromLatin1(ImageExtension(f)).toUpper(),
                            QString::fromLatin1(ImageExtension(f))));
    }
    makeAction("UmrissHPGLplt1", &MainWindow::isolationMilling);
    makeAction("PlatinenkonturHPGLplt1", &MainWindow::outlineMilling);
    makeAction("GCode1", &MainWindow::gcodeMilling);
    makeAction("Beenden1", [this] { close(); })->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    for (int i = 0; i < 4; ++i) {
        QAction* a = makeAction(QStringLiteral("History%1").arg(i + 1).toLatin1().constData(),
                                [this, i] { openRecent(i); });
        recentActions_[static_cast<std::size_t>(i)] = a;
    }
    recentSeparator_ = new QAction(this);
    recentSeparator_->setSeparator(true);

    // Edit
    makeAction("Undo", &MainWindow::undo)->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    makeAction("Redo", &MainWindow::redo)->setShortcut(QKeySequence(QStringLiteral("Ctrl+Y")));
    makeAction("Kopieren1", [this] { editCommand(EditCopy); })->setShortcut(QKeySequence::Copy);
    makeAction("Ausschneiden1", [this] { editCommand(EditCut); })->setShortcut(QKeySequence::Cut);
    makeAction("Einfgen1", [this] { editCommand(EditPaste); })->setShortcut(QKeySequence::Paste);
    makeAction("Duplizieren1", [this] {
        editCommand(EditDuplicate);
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    makeAction("Lschen1", [this] { editCommand(EditDelete); })->setShortcut(QKeySequence(Qt::Key_Delete));
    makeAction("Allesmarkieren1", [this] {
        editCommand(EditSelectAll);
    })->setShortcut(QKeySequence::SelectAll);

    // Board
    makeAction("NeuePlatine1", &MainWindow::addBoard);
    makeAction("Platinengrsse1", [this] { boardProperties(); });
    makeAction("Platinelschen1", &MainWindow::deleteBoard);
    makeAction("Platinenachrechts1", [this] { moveBoard(true, true); });
    makeAction("Platineeinsnachrechts1", [this] { moveBoard(true, false); });
    makeAction("Platinenachlinks1", [this] { moveBoard(false, true); });
    makeAction("Platineeinsnachlinks1", [this] { moveBoard(false, false); });
    makeAction("Platinennachladen1", &MainWindow::reloadBoards);
    // The tab menu repeats the board commands.
    makeAction("NeuePlatine2", &MainWindow::addBoard);
    makeAction("Platineeinrichten1", [this] { boardProperties(); });
    makeAction("Platinelschen2", &MainWindow::deleteBoard);
    makeAction("Platinenachrechts2", [this] { moveBoard(true, true); });
    makeAction("platineeinsnachrechts2", [this] { moveBoard(true, false); });
    makeAction("Platinenachlinks2", [this] { moveBoard(false, true); });
    makeAction("Platineeinsnachlinks2", [this] { moveBoard(false, false); });

    // Functions, and their twins in the board's context menu. The shortcut goes on the item of
    // the main menu (the first name), where it is active whatever has the focus.
    const auto twins = [this](const char* menuItem, const char* popupItem, const char* keys,
                              std::function<void()> run) {
        QAction* a = makeAction(menuItem, run);
        if (keys)
            a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        makeAction(popupItem, std::move(run));
    };
    twins("Rotieren1", "Rotieren2", "Ctrl+R", [this] { editCommand(EditRotate); });
    twins("Horizontalspiegeln2", "Horizontalspiegeln1", "Ctrl+H", [this] { editCommand(EditMirrorH); });
    twins("Vertikalspiegeln2", "Vertikalspiegeln1", "Ctrl+T", [this] { editCommand(EditMirrorV); });
    twins("Kreisbogen2", "Kreisbogen1", nullptr, [this] { arcDialog(); });
    {
        // Only in the context menu; the window keeps it so that Alt+Enter works everywhere.
        QAction* properties = makeAction("Eigenschaften1", [this] { propertiesDialog(); });
        properties->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
        addAction(properties);
    }
    twins("Gruppieren1", "Gruppieren2", "Ctrl+G", [this] { editCommand(EditGroup); });
    twins("Gruppierungaufheben1", "Gruppierungaufheben2", "Ctrl+U", [this] { editCommand(EditUngroup); });
    twins("Layerwechseln1", "Layerwechseln2", "Ctrl+W", [this] { editCommand(EditOtherSide); });
    const char* setLayerNames[2][4] = {{"K12", "B12", "K22", "B22"}, {"K11", "B11", "K21", "B21"}};
    for (auto& names : setLayerNames)
        for (int layer = 1; layer <= 4; ++layer)
            makeAction(names[layer - 1], [this, layer] { setSelectionToLayer(layer); });
    makeAction("amRasterausrichten1", [this] { editCommand(EditSnap); });
    makeAction("Luftlinienentfernen1", &MainWindow::clearConnections);
    makeAction("LscheElementeausserhalb1", [this] { editCommand(EditDeleteOutside); });
    makeAction("Kopieren2", [this] { editCommand(EditCopy); });
    makeAction("Ausschneiden2", [this] { editCommand(EditCut); });
    makeAction("Einfgen2", [this] { editCommand(EditPaste); });
    makeAction("Lschen2", [this] { editCommand(EditDelete); });
    makeAction("Duplizieren2", [this] { editCommand(EditDuplicate); });
    makeAction("Nullpunktsetzen1", [this] {
        if (session_)
            session_->setOriginAtMenuPoint();
    });
    const char* alignNames[] = {"Obenausrichten1",
                                "Untenausrichten1",
                                "Linksausrichten1",
                                "Rechtsausrichten1",
                                "HorizontalMittigausrichten1",
                                "VertikalMittigausrichten1"};
    for (int mode = 1; mode <= 6; ++mode)
        makeAction(alignNames[mode - 1], [this, mode] { alignSelection(mode); });
    // Node menu
    makeAction("NeuerKnoten1", [this] { nodeCommand(0); });
    makeAction("Knotenentfernen1", [this] { nodeCommand(1); });
    makeAction("Trennen1", [this] { nodeCommand(2); });
    makeAction("AmRasterausrichten2", [this] { nodeCommand(3); });

    // Options
    makeAction("Vorlage1", &MainWindow::templateDialog);
    makeAction("Makrofenster1", [this] { setMacroPanelShown(!macroPanelShown()); })->setCheckable(true);
    makeAction("MakroVerzeichnis1", [this] { chooseMacroRoot(); });
    QAction* plane = makeAction("M_AutoMasse", [this] {
        const TBoard* board = project_.currentBoard();
        if (board)
            setGroundPlane(!GroundPlaneOn(*board, board->ActiveLayer), false);
    });
    plane->setCheckable(true);
    auto* units = new QActionGroup(this);
    QAction* mm = makeAction("E_MM", [this] { setInchUnit(false); });
    mm->setText(QStringLiteral("mm"));
    QAction* inch = makeAction("E_Zoll", [this] { setInchUnit(true); });
    for (QAction* a : {mm, inch}) {
        a->setCheckable(true);
        units->addAction(a);
    }
    mm->setChecked(true);
    QAction* navigator = makeAction("M_PlatinenZoom", [this] {
        view_.setNavigatorVisible(action(QStringLiteral("M_PlatinenZoom"))->isChecked());
    });
    navigator->setCheckable(true);
    navigator->setChecked(true);
    for (const char* name : {"ZoomPlatine1", "Zoomalles1"})
        makeAction(name, [this] { zoomCommand(0); });
    for (const char* name : {"ZoomObjekte1", "ZoomalleObjekte1"})
        makeAction(name, [this] { zoomCommand(1); });
    for (const char* name : {"ZoomMarkierung1", "ZoomaufMarkierung1"})
        makeAction(name, [this] { zoomCommand(2); });
    for (const char* name : {"Zoomvorher1", "Zoomvorher2"})
        makeAction(name, [this] { zoomCommand(3); });
    makeAction("Neuzeichnen1", [this] { repaintBoard(); });
    makeAction("Farbendefinieren1", &MainWindow::colourDialog);
    makeAction("Projektinfo1", &MainWindow::projectInfoDialog);
    QAction* hints = makeAction("Hinweistexte1", nullptr);
    hints->setCheckable(true);
    connect(hints, &QAction::toggled, this, &MainWindow::toggleHints);
    makeAction("UndoTiefe1", &MainWindow::undoDepthDialog);
    QAction* checkFirst = makeAction("M_PruefenVorExport", nullptr);
    checkFirst->setCheckable(true);
    checkFirst->setChecked(true);
    connect(checkFirst, &QAction::toggled, this, [this](bool on) { settings_.checkBeforeExport = on; });
    QAction* zoomAtCursor = makeAction("M_ZoomAmMauszeiger", nullptr);
    zoomAtCursor->setCheckable(true);
    connect(zoomAtCursor, &QAction::toggled, this, [this](bool on) {
        settings_.zoomAtCursor = on;
        board_->setWheelZoomAtCursor(on);
    });
    QAction* dragTracks = makeAction("M_LeiterbahnenMitziehen", nullptr);
    dragTracks->setCheckable(true);
    connect(dragTracks, &QAction::toggled, this, [this](bool on) {
        settings_.dragTracks = on;
        session_->setDragConnectedTracks(on);
    });

    // Layers
    activeLayerGroup_ = new QActionGroup(this);
    const char* activeNames[] = {"K1", "B1", "K2", "B2"};
    const char* visibleNames[] = {"SK1", "SB1", "SK2", "SB2"};
    for (int layer = 1; layer <= 4; ++layer) {
        QAction* a = makeAction(activeNames[layer - 1], [this, layer] { setActiveLayer(layer); });
        a->setCheckable(true);
        activeLayerGroup_->addAction(a);
        QAction* v = makeAction(visibleNames[layer - 1], [this, layer] { toggleLayerVisible(layer); });
        v->setCheckable(true);
    }

    // Help
    makeAction("Index1", [] { ShowHelpContents(); });

    // Tool-bar commands: their own actions (they carry hints, the menu items captions).
    makeAction("TB_Neu", &MainWindow::fileNew);
    makeAction("TB_Open", &MainWindow::fileOpen);
    makeAction("TB_Save", [this] { fileSave(); });
    makeAction("TB_Print", &MainWindow::printBoard);
    makeAction("TB_Undo", &MainWindow::undo);
    makeAction("TB_Redo", &MainWindow::redo);
    makeAction("TB_Cut", [this] { editCommand(EditCut); });
    makeAction("TB_Copy", [this] { editCommand(EditCopy); });
    makeAction("TB_Paste", [this] { editCommand(EditPaste); });
    makeAction("TB_Delete", [this] { editCommand(EditDelete); });
    makeAction("TB_Duplizieren", [this] { editCommand(EditDuplicate); });
    makeAction("TB_Rotieren", [this] { editCommand(EditRotate); });
    makeAction("TB_HSpiegeln", [this] { editCommand(EditMirrorH); });
    makeAction("TB_VSpiegeln", [this] { editCommand(EditMirrorV); });
    makeAction("TB_Ausrichten", nullptr);
    makeAction("TB_AmRasterAusrichten", [this] { editCommand(EditSnap); });
    makeAction("TB_ClearConnections", &MainWindow::clearConnections);
    makeAction("Designprfung1", &MainWindow::designCheck)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    makeAction("TB_Designpruefung", &MainWindow::designCheck);
    makeAction("TB_Gruppieren", [this] { editCommand(EditGroup); });
    makeAction("TB_GruppeAufloesen", [this] { editCommand(EditUngroup); });
    makeAction("TB_Zoom", nullptr);
    makeAction("TB_Neuzeichnen", [this] { repaintBoard(); });
    makeAction("TB_Vorlage", &MainWindow::templateDialog);
    makeAction("TB_Makro", [this] { setMacroPanelShown(!macroPanelShown()); })->setCheckable(true);
    makeAction("TB_Info", &MainWindow::projectInfoDialog);
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto addMenu = [this](QWidget* parent, const char* name, const QString& title = {}) {
        auto* m = new QMenu(title, parent);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto add = [this](QMenu* m, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (!name)
                m->addSeparator();
            else
                m->addAction(action(QString::fromLatin1(name)));
        }
    };

    QMenu* file = addMenu(bar, "Datei1");
    add(file, {"Neu1", "ffnen1", "Speichern1", "Speichernals1", "Makrospeichern1", nullptr, "Autospeichern1",
               "Arbeitsverzeichnisse1", nullptr});
    QMenu* exportMenu = addMenu(file, "Exportieren1");
    add(exportMenu, {"GerberFormat1", "BohrDatenExcellon1", nullptr, "Bitmap1", "GIF1", "EMF1", "PNG1",
                     "SVG1", "PDF1", nullptr, "Fertigungssatz1"});
    file->addMenu(exportMenu);
    QMenu* milling = addMenu(file, "Frsdateien1");
    add(milling, {"UmrissHPGLplt1", "PlatinenkonturHPGLplt1", "GCode1"});
    file->addMenu(milling);
    add(file, {nullptr, "Druckereinrichten1", "Drucken1"});
    file->addAction(recentSeparator_);
    for (QAction* a : recentActions_)
        file->addAction(a);
    add(file, {nullptr, "Beenden1"});
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateRecentMenu);
    bar->addMenu(file);

    QMenu* edit = addMenu(bar, "Bearbeiten1");
    add(edit, {"Undo", "Redo", nullptr, "Kopieren1", "Ausschneiden1", "Einfgen1", "Duplizieren1", "Lschen1",
               nullptr, "Allesmarkieren1"});
    bar->addMenu(edit);

    QMenu* board = addMenu(bar, "Platine1");
    add(board, {"NeuePlatine1", "Platinengrsse1", "Platinelschen1", nullptr, "Platinenachrechts1",
                "Platineeinsnachrechts1", "Platinenachlinks1", "Platineeinsnachlinks1", nullptr,
                "Platinennachladen1"});
    bar->addMenu(board);

    QMenu* align = addMenu(this, "AusrichtenPopup", T("Ausrichten", "Align", "Aligner"));
    add(align, {"Obenausrichten1", "Untenausrichten1", "Linksausrichten1", "Rechtsausrichten1",
                "HorizontalMittigausrichten1", "VertikalMittigausrichten1"});
    QMenu* functions = addMenu(bar, "Funktionen1");
    add(functions, {"Rotieren1", "Horizontalspiegeln2", "Vertikalspiegeln2", "Kreisbogen2", nullptr,
                    "Gruppieren1", "Gruppierungaufheben1", nullptr});
    functions->addMenu(align);
    add(functions, {"amRasterausrichten1", nullptr, "Layerwechseln1"});
    QMenu* setLayer = addMenu(functions, "SetzeaufLayer1");
    add(setLayer, {"K12", "B12", "K22", "B22"});
    functions->addMenu(setLayer);
    add(functions, {nullptr, "Luftlinienentfernen1", "LscheElementeausserhalb1"});
    add(functions, {nullptr, "Designprfung1"});
    bar->addMenu(functions);

    QMenu* zoom = addMenu(this, "ZoomPopup", T("Zoom", "Zoom", "Zoom"));
    add(zoom, {"Zoomalles1", "ZoomalleObjekte1", "ZoomaufMarkierung1", "Zoomvorher2"});
    QMenu* options = addMenu(bar, "Optionen1");
    add(options, {"Vorlage1", "Makrofenster1", "MakroVerzeichnis1", nullptr, "M_AutoMasse", nullptr});
    QMenu* unit = addMenu(options, "Linealeinheit1");
    add(unit, {"E_MM", "E_Zoll"});
    options->addMenu(unit);
    add(options, {"M_PlatinenZoom", "M_ZoomAmMauszeiger", "M_LeiterbahnenMitziehen", nullptr, "ZoomPlatine1",
                  "ZoomObjekte1", "ZoomMarkierung1", "Zoomvorher1", "Neuzeichnen1", nullptr,
                  "Farbendefinieren1", "Projektinfo1", "Hinweistexte1", "UndoTiefe1"});
    add(options, {nullptr, "M_PruefenVorExport"});
    bar->addMenu(options);

    QMenu* layers = addMenu(bar, "L1");
    QMenu* active = addMenu(layers, "AktiverLayer1");
    add(active, {"K1", "B1", "K2", "B2"});
    QMenu* visible = addMenu(layers, "SichtbareLayer1");
    add(visible, {"SK1", "SB1", "SK2", "SB2"});
    layers->addMenu(active);
    layers->addMenu(visible);
    bar->addMenu(layers);

    QMenu* help = addMenu(bar, "Hilfe1", T("&Hilfe", "&Help", "&Aide"));
    add(help, {"Index1"});
    bar->addMenu(help);

    // Menus that open elsewhere: the board's context menu, the node menu, the tab menu.
    QMenu* popup = addMenu(this, "PopupMenu");
    add(popup, {"Kopieren2", "Ausschneiden2", "Einfgen2", "Duplizieren2", "Lschen2", nullptr, "Rotieren2",
                "Horizontalspiegeln1", "Vertikalspiegeln1", "Layerwechseln2"});
    QMenu* popupLayer = addMenu(popup, "AufLayer1");
    add(popupLayer, {"K11", "B11", "K21", "B21"});
    popup->addMenu(popupLayer);
    add(popup, {nullptr, "Gruppieren2", "Gruppierungaufheben2", "Kreisbogen1", "Eigenschaften1", nullptr,
                "Nullpunktsetzen1"});
    QMenu* nodes = addMenu(this, "KnotenPopup");
    add(nodes, {"NeuerKnoten1", "Knotenentfernen1", "Trennen1", "AmRasterausrichten2"});
    QMenu* tabMenu = addMenu(this, "TabPopup");
    add(tabMenu, {"NeuePlatine2", "Platineeinrichten1", "Platinelschen2", nullptr, "Platinenachrechts2",
                  "platineeinsnachrechts2", "Platinenachlinks2", "Platineeinsnachlinks2"});

    action(QStringLiteral("TB_Ausrichten"))->setMenu(align);
    action(QStringLiteral("TB_Zoom"))->setMenu(zoom);
}

QToolButton* MainWindow::makeToolButton(const char* name, int tool, const char* iconName, bool enabled)
{
    auto* button = new QToolButton(toolBar_);
    button->setObjectName(QString::fromLatin1(name));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setEnabled(enabled);
    button->setIcon(themedIcon(nullptr, iconName));
    button->setToolButtonStyle(button->icon().isNull() ? Qt::ToolButtonTextOnly
                                                       : Qt::ToolButtonTextUnderIcon);
    if (tool >= 0) {
        toolButtons_->addButton(button, tool);
        button->installEventFilter(this);
    }
    toolBar_->addWidget(button);
    return button;
}

void MainWindow::buildToolBar()
{
    toolBar_ = addToolBar(T("Werkzeuge", "Tools", "Outils"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    struct Command {
        const char* name;
        const char* theme;
        const char* own;
    };
    const Command commands[] = {
        {"TB_Neu", "document-new", "new"},
        {"TB_Open", "document-open", "open"},
        {"TB_Save", "document-save", "save"},
        {"TB_Print", "document-print", "print"},
        {nullptr, nullptr, nullptr},
        {"TB_Undo", "edit-undo", "undo"},
        {"TB_Redo", "edit-redo", "redo"},
        {nullptr, nullptr, nullptr},
        {"TB_Cut", "edit-cut", "cut"},
        {"TB_Copy", "edit-copy", "copy"},
        {"TB_Paste", "edit-paste", "paste"},
        {"TB_Delete", "edit-delete", "delete"},
        {"TB_Duplizieren", nullptr, "duplicate"},
        {nullptr, nullptr, nullptr},
        {"TB_Rotieren", "object-rotate-right", "rotate"},
        {"TB_HSpiegeln", "object-flip-horizontal", "mirror_h"},
        {"TB_VSpiegeln", "object-flip-vertical", "mirror_v"},
        {"TB_Ausrichten", nullptr, "align"},
        {"TB_AmRasterAusrichten", nullptr, "snap_grid"},
        {"TB_Gruppieren", nullptr, "group"},
        {"TB_GruppeAufloesen", nullptr, "ungroup"},
        {"TB_ClearConnections", nullptr, "clear_connections"},
        {"TB_Designpruefung", nullptr, "design_check"},
        {nullptr, nullptr, nullptr},
        {"TB_Zoom", "zoom-fit-best", "zoom_board"},
        {"TB_Neuzeichnen", "view-refresh", "redraw"},
        {"TB_Vorlage", nullptr, "template"},
        {"TB_Makro", nullptr, "macro"},
        {"TB_Info", "document-properties", "info"},
    };
    for (const Command& c : commands) {
        if (!c.name) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = action(QString::fromLatin1(c.name));
        a->setIcon(themedIcon(c.theme, c.own));
        if (a->icon().isNull())
            a->setText(SplitHint(MainHint(c.name)).shortPart);
        toolBar_->addAction(a);
        if (a->menu())
            if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(a)))
                button->setPopupMode(QToolButton::InstantPopup);
    }

    // The values new elements are made with, which edit the selection as well. They are the
    // only way to change a selected element's size, so they get a row of their own: beside the
    // commands they went into the overflow of a window narrower than about 1100 pixels.
    addToolBarBreak();
    QToolBar* fieldBar = addToolBar(T("Eigenschaften", "Properties", "Propriétés"));
    fieldBar->setObjectName(QStringLiteral("ToolBarFields"));
    fieldBar->setMovable(false);
    properties_ = new PropertyBar(fieldBar);
    properties_->setObjectName(QStringLiteral("PropertyBar"));
    fieldBar->addWidget(properties_);
    connect(properties_, &PropertyBar::boardChanged, this, [this](const TRect& area) {
        board_->invalidate(area);
        updateCommandStates();
    });
    connect(properties_, &PropertyBar::parametersChanged, this, &MainWindow::updateCommandStates);

    // The tools: one pressed at a time.
    addToolBarBreak();
    QToolBar* tools = addToolBar(T("Werkzeuge", "Tools", "Outils"));
    tools->setObjectName(QStringLiteral("ToolBar2"));
    tools->setMovable(false);
    std::swap(toolBar_, tools); // makeToolButton adds to toolBar_
    toolButtons_ = new QButtonGroup(this);
    toolButtons_->setExclusive(true);
    makeToolButton("SB_Standard", ToolStandard, "tool_standard", true)->setChecked(true);
    makeToolButton("SB_Zoom", ToolZoom, "tool_zoom", true);
    makeToolButton("SB_Line", ToolTrack, "tool_track", true);
    makeToolButton("SB_Circle", ToolPad, "tool_pad", true);
    makeToolButton("SB_SMDPad", ToolSmdPad, "tool_smdpad", true);
    makeToolButton("SB_Ring", ToolRing, "tool_ring", true);
    makeToolButton("SB_Polygon", ToolArea, "tool_area", true);
    makeToolButton("SB_Vieleck", ToolVieleck, "tool_polygon", true);
    makeToolButton("SB_LineText", ToolText, "tool_text", true);
    makeToolButton("SB_Connect", ToolConnect, "tool_connect", true);
    makeToolButton("SB_Test", ToolTest, "tool_test", true);
    makeToolButton("SB_AutoRoute", ToolAutoRoute, "tool_autoroute", true);
    makeToolButton("SB_Messen", ToolMeasure, "tool_measure", true);
    QToolButton* photo = makeToolButton("SB_RealAnsicht", -1, "tool_photo", true);
    photo->setCheckable(false);
    connect(photo, &QToolButton::clicked, this, &MainWindow::photoView);
    // Captions the text table does not give (icon-only buttons there).
    if (QToolButton* b = findChild<QToolButton*>(QStringLiteral("SB_Zoom")))
        b->setText(QStringLiteral("Zoom"));
    if (QToolButton* b = findChild<QToolButton*>(QStringLiteral("SB_Test")))
        b->setText(T("Test", "Test", "Test"));
    connect(toolButtons_, &QButtonGroup::idClicked, this, &MainWindow::chooseTool);
    // Hovering a tool button shows which fields its new elements take their sizes from.
    for (int tool : {ToolTrack, ToolPad, ToolSmdPad, ToolRing, ToolArea})
        if (QAbstractButton* b = toolButtons_->button(tool))
            properties_->watchToolButton(b, tool);

    // Layers, board, grid and unit on a row of their own, so that nothing hides in an overflow.
    addToolBarBreak();
    QToolBar* layerBar = addToolBar(T("Layer", "Layers", "Couches"));
    layerBar->setObjectName(QStringLiteral("ToolBar3"));
    layerBar->setMovable(false);
    toolBar_ = layerBar;

    // Layers: the active layer and the visible layers.
    const char* radioNames[] = {"RB_K1", "RB_B1", "RB_K2", "RB_B2"};
    const char* visibleNames[] = {"SB_K1", "SB_B1", "SB_K2", "SB_B2"};
    auto* radios = new QButtonGroup(this);
    for (int layer = 1; layer <= 4; ++layer) {
        const auto i = static_cast<std::size_t>(layer - 1);
        auto* radio = new QRadioButton(LayerCaption(layer), toolBar_);
        radio->setObjectName(QString::fromLatin1(radioNames[i]));
        radio->setFocusPolicy(Qt::NoFocus); // F1..F8 keep going to the drawing area
        radios->addButton(radio, layer);
        toolBar_->addWidget(radio);
        layerRadios_[i] = radio;
    }
    connect(radios, &QButtonGroup::idClicked, this, &MainWindow::setActiveLayer);
    toolBar_->addSeparator();
    for (int layer = 1; layer <= 4; ++layer) {
        const auto i = static_cast<std::size_t>(layer - 1);
        QToolButton* b = makeToolButton(visibleNames[i], -1, "", true);
        b->setText(LayerCaption(layer));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(b, &QToolButton::clicked, this, [this, layer] { toggleLayerVisible(layer); });
        layerButtons_[i] = b;
    }
    toolBar_->addSeparator();
    QToolButton* size = makeToolButton("SB_Layoutgroesse", -1, "boardsize", true);
    size->setCheckable(false);
    size->setText(T("Platine", "Board", "Carte"));
    connect(size, &QToolButton::clicked, this, [this] { boardProperties(); });
    QToolButton* info = makeToolButton("SB_LayerInfo", -1, "layerinfo", true);
    info->setCheckable(false);
    info->setText(QStringLiteral("Info"));
    connect(info, &QToolButton::clicked, this, &MainWindow::layerInfoWindow);

    gridMenu_ = new GridMenu(view_, *grids_, this);
    gridMenu_->setObjectName(QStringLiteral("RasterPopup"));
    gridMenu_->askNewGrid = [this]() -> std::optional<QString> {
        TRasterDlg dialog(this);
        if (!runDialog(dialog))
            return std::nullopt;
        return dialog.valueText();
    };
    gridButton_ = makeToolButton("SB_Raster", -1, "", true);
    gridButton_->setCheckable(false);
    gridButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    gridButton_->setMenu(gridMenu_);
    gridButton_->setPopupMode(QToolButton::InstantPopup);
    gridButton_->setText(view_.gridCaption());

    unitButton_ = makeToolButton("SB_Einheit", -1, "", true);
    unitButton_->setCheckable(false);
    unitButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    unitButton_->setText(UnitButtonCaption(false));
    connect(unitButton_, &QToolButton::clicked, this, [this] { setInchUnit(!view_.inchUnit()); });
    std::swap(toolBar_, tools);
}

void MainWindow::updateRecentMenu()
{
    recent_.updateActions(recentActions_, recentSeparator_);
}

void MainWindow::chooseTool(int tool)
{
    if (session_)
        session_->SetTool(tool);
}

} // namespace trevok
