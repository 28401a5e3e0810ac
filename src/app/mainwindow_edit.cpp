// The main window's edit, layer and view commands, the small dialogs, and the enabled state of
// every command.

#include "app/mainwindow.h"

#include "app/maintexts.h"
#include "app/routingcontroller.h"
#include "dialogs/autorouter.h"
#include "dialogs/bogendlg.h"
#include "dialogs/colordlg.h"
#include "dialogs/layerinfo.h"
#include "dialogs/projektinfodlg.h"
#include "dialogs/propertiesdlg.h"
#include "dialogs/realansichtdlg.h"
#include "dialogs/undodlg.h"
#include "document/undo.h"
#include "edit/editcommands.h"
#include "edit/elementproperties.h"
#include "edit/session.h"
#include "routing/connections.h"
#include "view/colours.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"
#include "view/widgets/propertybar.h"
#include "view/widgets/statusbarwidgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>

namespace trevok
{

// ---------------------------------------------------------------------------------------------
// Edit commands

void MainWindow::finishEdit(const EditResult& result)
{
    if (session_) {
        session_->invalidate(result);
        session_->selectionChanged();
    }
    updateCommandStates();
}

void MainWindow::editCommand(EditCommand command)
{
    if (!session_ || !project_.currentBoard())
        return;
    EditSession& s = *session_;
    // The text being placed is selected while it follows the mouse; a command must act on the
    // user's elements, not on that preview.
    if (s.tool() == ToolText)
        s.abortOperation();
    switch (command) {
    case EditCopy: {
        copySelection(project_, s.clipboard());
        // The system clipboard gets a picture of the selection, for other programs.
        QByteArray svg;
        QImage png;
        if (board_->selectionPicture(svg, png)) {
            auto* data = new QMimeData;
            data->setData(QStringLiteral("image/svg+xml"), svg);
            data->setImageData(QVariant::fromValue(png));
            QApplication::clipboard()->setMimeData(data);
        }
        updateCommandStates();
        return;
    }
    case EditCut:
        finishEdit(cutSelection(project_, s.clipboard()));
        return;
    case EditPaste:
        s.startPaste();
        return;
    case EditDuplicate:
        s.startDuplicate();
        return;
    case EditDelete:
        s.keyPress(Key::Delete, 0);
        updateCommandStates();
        return;
    case EditSelectAll:
        finishEdit(selectAll(project_));
        return;
    case EditRotate:
        finishEdit(turnSelection(project_, SelectionTurn::Rotate, session_->dragConnectedTracks()));
        return;
    case EditMirrorH:
        finishEdit(
            turnSelection(project_, SelectionTurn::MirrorHorizontally, session_->dragConnectedTracks()));
        return;
    case EditMirrorV:
        finishEdit(turnSelection(project_, SelectionTurn::MirrorVertically, session_->dragConnectedTracks()));
        return;
    case EditGroup:
        finishEdit(groupSelectedElements(project_));
        return;
    case EditUngroup:
        finishEdit(ungroupSelectedElements(project_));
        return;
    case EditSnap:
        finishEdit(snapSelectionToGrid(project_));
        return;
    case EditOtherSide:
        finishEdit(selectionToOtherSide(project_));
        return;
    case EditDeleteOutside:
        finishEdit(deleteOutsideBoard(project_));
        return;
    }
}

void MainWindow::alignSelection(int mode)
{
    if (project_.currentBoard())
        finishEdit(trevok::alignSelection(project_, mode));
}

void MainWindow::setSelectionToLayer(int layer)
{
    if (project_.currentBoard())
        finishEdit(selectionToLayer(project_, layer));
}

void MainWindow::nodeCommand(int which)
{
    if (!session_ || !project_.currentBoard())
        return;
    const std::size_t element = session_->nodeMenuElement();
    const int node = session_->nodeMenuNode();
    if (element >= project_.currentBoard()->Elements.size() || node < 0)
        return;
    switch (which) {
    case 0:
        finishEdit(insertNode(project_, element, node));
        break;
    case 1:
        finishEdit(removeNode(project_, element, node));
        break;
    case 2:
        finishEdit(splitTrack(project_, element, node, session_->params().clearance));
        break;
    default:
        finishEdit(snapNode(project_, element, node));
        break;
    }
}

void MainWindow::arcDialog()
{
    if (session_)
        session_->abortOperation();
    finishEdit(RunArcDialog(this, project_, [this](TBogenDlg& dialog) { return runDialog(dialog); }));
}

bool MainWindow::propertiesDialog()
{
    TBoard* b = project_.currentBoard();
    if (!session_ || !b)
        return false;
    session_->abortOperation();
    const PropertySheet shown = readProperties(*b, b->Origin);
    if (shown.elementCount == 0)
        return false;
    TPropertiesDlg dialog(
        shown,
        [&](const PropertySheet& edited) -> std::optional<PropertyField> {
            const PropertyOutcome outcome = applyProperties(project_, shown, edited, b->Origin);
            if (!outcome.ok)
                return outcome.badField;
            finishEdit(outcome.result);
            return std::nullopt;
        },
        this);
    runDialog(dialog);
    return true;
}

void MainWindow::photoView()
{
    if (!photoDlg_) {
        photoDlg_ = new TRealAnsichtDlg(this);
        connect(photoDlg_, &TRealAnsichtDlg::photoViewChanged, this,
                [this](const PhotoView& photo) { board_->setPhotoView(photo); });
    }
    photoDlg_->show();
    photoDlg_->raise();
}

void MainWindow::routerWindow()
{
    routing_->showWindow();
}

void MainWindow::clearConnections()
{
    if (session_)
        routing_->clearConnections();
}

void MainWindow::openBoardMenu(const QString& name, QPoint globalPos)
{
    QMenu* m = menu(name);
    if (!m)
        return;
    updateCommandStates();
    if (name == QLatin1String("KnotenPopup") && session_) {
        const NodeMenuState state = session_->nodeMenu();
        action(QStringLiteral("NeuerKnoten1"))->setEnabled(state.newNode);
        action(QStringLiteral("Knotenentfernen1"))->setEnabled(state.removeNode);
        action(QStringLiteral("Trennen1"))->setEnabled(state.splitTrack);
        action(QStringLiteral("AmRasterausrichten2"))->setEnabled(state.snapNode);
    }
    m->popup(globalPos);
}

// ---------------------------------------------------------------------------------------------
// History

void MainWindow::undo()
{
    if (session_ ? session_->undo() : Undo(project_)) {
        board_->repaintAll();
        if (session_)
            session_->selectionChanged();
    }
    updateCommandStates();
}

void MainWindow::redo()
{
    if (session_)
        session_->abortOperation();
    if (Redo(project_)) {
        board_->repaintAll();
        if (session_)
            session_->selectionChanged();
    }
    updateCommandStates();
}

// ---------------------------------------------------------------------------------------------
// Layers and the ground plane

void MainWindow::setActiveLayer(int layer)
{
    if (TBoard* board = project_.currentBoard(); board && SetActiveLayer(*board, layer))
        board_->repaintAll();
    syncLayerControls();
    updateCommandStates();
}

void MainWindow::toggleLayerVisible(int layer)
{
    if (TBoard* board = project_.currentBoard(); board && ToggleLayerVisible(*board, layer)) {
        board_->repaintAll();
        if (session_)
            session_->selectionChanged();
    }
    syncLayerControls();
    updateCommandStates();
}

void MainWindow::setGroundPlane(bool on, bool fromButton)
{
    const TBoard* board = project_.currentBoard();
    if (!board || GroundPlaneOn(*board, board->ActiveLayer) == on)
        return;
    // Both mark the layout modified; the button also releases the restricted-area button.
    if (fromButton)
        groundPlaneButton_->click();
    else
        statusWidgets_->toggleGroundPlane();
}

// ---------------------------------------------------------------------------------------------
// View

void MainWindow::setInchUnit(bool inch)
{
    view_.setInchUnit(inch);
}

void MainWindow::zoomCommand(int which)
{
    const TBoard* board = project_.currentBoard();
    if (!board)
        return;
    if (session_)
        session_->ErasePreviews();
    switch (which) {
    case 0:
        view_.zoomBoard();
        break;
    case 1:
        view_.zoomAllObjects(board->Elements);
        break;
    case 2:
        view_.zoomSelection(board->Elements);
        break;
    default:
        view_.PopView();
        break;
    }
    updateCommandStates();
}

void MainWindow::toggleHints(bool on)
{
    QAction* hints = action(QStringLiteral("Hinweistexte1"));
    if (hints->isChecked() != on) {
        const QSignalBlocker blocker(hints);
        hints->setChecked(on);
    }
    settings_.hintsShown = on;
    // Tool tips are shown unless switched off; the status line keeps its long hints.
    if (on)
        qApp->removeEventFilter(this);
    else
        qApp->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // While the mouse is over a tool button, the fields that tool uses are highlighted.
    if (auto* button = qobject_cast<QAbstractButton*>(watched); button && toolButtons_ && properties_) {
        const int tool = toolButtons_->id(button);
        if (tool >= 0 && event->type() == QEvent::Enter)
            properties_->hoverTool(tool);
        else if (tool >= 0 && event->type() == QEvent::Leave)
            properties_->hoverTool(-1);
    }
    if (event->type() == QEvent::ToolTip && !action(QStringLiteral("Hinweistexte1"))->isChecked())
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Dialogs

void MainWindow::projectInfoDialog()
{
    TProjektInfoDlg dialog(this);
    dialog.setInfo(project_.Info);
    if (runDialog(dialog))
        setProjectInfo(project_, dialog.info());
}

void MainWindow::undoDepthDialog()
{
    TUndoDlg dialog(this);
    dialog.setDepth(project_.UndoDepth);
    if (runDialog(dialog))
        project_.UndoDepth = dialog.depth();
}

void MainWindow::colourDialog()
{
    runDialog(*colourDlg_);
    board_->setColourScheme(CurrentColours());
    if (layerInfo_)
        layerInfoWindow();
}

void MainWindow::layerInfoWindow()
{
    const ColourScheme& c = CurrentColours();
    const std::array<QColor, 4> colours{c.qcolor(ColourK1), c.qcolor(ColourB1), c.qcolor(ColourK2),
                                        c.qcolor(ColourB2)};
    if (!layerInfo_)
        layerInfo_ = new TLayerInfo(colours, this);
    else
        layerInfo_->setColours(colours);
    layerInfo_->show();
    layerInfo_->raise();
}

// ---------------------------------------------------------------------------------------------
// Enabled states

void MainWindow::updateCommandStates()
{
    if (!session_)
        return;
    updateTitle();
    board_->dropStaleMillingOverlay();
    const EditCommandState s = editCommandState(project_, session_->clipboard());
    auto enable = [this](std::initializer_list<const char*> names, bool on) {
        for (const char* name : names)
            if (QAction* a = action(QString::fromLatin1(name)))
                a->setEnabled(on);
    };
    enable({"Undo", "TB_Undo"}, s.undo);
    enable({"Redo", "TB_Redo"}, s.redo);
    enable({"Kopieren1", "Kopieren2", "TB_Copy"}, s.copy);
    enable({"Ausschneiden1", "Ausschneiden2", "TB_Cut"}, s.cut);
    enable({"Einfgen1", "Einfgen2", "TB_Paste"}, s.paste);
    enable({"Duplizieren1", "Duplizieren2", "TB_Duplizieren"}, s.duplicate);
    enable({"Lschen1", "Lschen2", "TB_Delete"}, s.erase);
    enable({"Allesmarkieren1"}, s.selectAll);
    enable({"Rotieren1", "Rotieren2", "TB_Rotieren"}, s.rotate);
    enable({"Horizontalspiegeln1", "Horizontalspiegeln2", "TB_HSpiegeln"}, s.mirrorHorizontally);
    enable({"Vertikalspiegeln1", "Vertikalspiegeln2", "TB_VSpiegeln"}, s.mirrorVertically);
    enable({"Gruppieren1", "Gruppieren2", "TB_Gruppieren"}, s.group);
    enable({"Gruppierungaufheben1", "Gruppierungaufheben2", "TB_GruppeAufloesen"}, s.ungroup);
    enable({"TB_Ausrichten", "Obenausrichten1", "Untenausrichten1", "Linksausrichten1", "Rechtsausrichten1",
            "HorizontalMittigausrichten1", "VertikalMittigausrichten1"},
           s.align);
    enable({"amRasterausrichten1", "TB_AmRasterAusrichten"}, s.snapToGrid);
    enable({"Layerwechseln1", "Layerwechseln2"}, s.otherSide);
    enable({"K12", "B12", "K22", "B22", "K11", "B11", "K21", "B21"}, s.setLayer);
    if (QMenu* m = menu(QStringLiteral("AusrichtenPopup")))
        m->setEnabled(s.align);
    if (QMenu* m = menu(QStringLiteral("SetzeaufLayer1")))
        m->setEnabled(s.setLayer);
    if (QMenu* m = menu(QStringLiteral("AufLayer1")))
        m->setEnabled(s.setLayer);
    enable({"Kreisbogen1", "Kreisbogen2"}, s.arc);
    enable({"LscheElementeausserhalb1"}, s.deleteOutside);
    enable({"ZoomMarkierung1", "ZoomaufMarkierung1"}, s.zoomSelection);
    enable({"ZoomObjekte1", "ZoomalleObjekte1"}, s.zoomAllObjects);
    enable({"Zoomvorher1", "Zoomvorher2"}, view_.canPopView());
    enable({"Platinelschen1", "Platinelschen2", "Platinenachrechts1", "Platinenachrechts2",
            "Platinenachlinks1", "Platinenachlinks2", "Platineeinsnachrechts1", "platineeinsnachrechts2",
            "Platineeinsnachlinks1", "Platineeinsnachlinks2"},
           s.boardCommands);
}

} // namespace trevok
