// The design check in the editor: its window, the markers over the board, showing one problem,
// turning broken routes back into rubber bands, and the check before manufacturing exports.

#include "app/mainwindow.h"

#include "dialogs/designcheckdlg.h"
#include "dialogs/dialogbuttons.h"
#include "document/undo.h"
#include "edit/session.h"
#include "output/designcheck.h"
#include "view/texts.h"
#include "view/widgets/boardwidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace trevok
{
namespace
{

/// What the list of the check window was made from: a board in one state of its history.
struct CheckedState {
    const TBoard* board = nullptr;
    std::size_t undoDepth = 0;
    const void* undoTop = nullptr;

    static CheckedState of(const TBoard* b)
    {
        if (!b)
            return {};
        return {b, b->UndoStack.size(), b->UndoStack.empty() ? nullptr : b->UndoStack.back().data()};
    }
    bool operator==(const CheckedState&) const = default;
};

// One window per run, so one state suffices.
CheckedState gChecked;

QString countsText(const DesignCheckResult& r)
{
    QString text = T("Die Designprüfung hat %1 gefunden:", "The design check found %1:",
                     "La vérification de conception a trouvé %1 :")
                       .arg(QString::fromStdString(ProblemSummary(r, CurrentLanguage())));
    for (std::size_t k = 0; k < kProblemKindCount; ++k) {
        const auto kind = static_cast<ProblemKind>(k);
        if (const std::size_t n = r.count(kind))
            text += QStringLiteral("\r%1: %2")
                        .arg(QString::fromStdString(ProblemKindName(kind, CurrentLanguage())))
                        .arg(n);
    }
    return text;
}

QMessageBox::StandardButton askExportAnyway(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, T("Designprüfung", "Design check", "Vérification de conception"),
                    QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    LabelStandardButtons(box);
    box.button(QMessageBox::Yes)
        ->setText(T("Trotzdem &exportieren", "&Export anyway", "&Exporter quand même"));
    box.button(QMessageBox::No)->setText(T("Probleme &zeigen", "&Show problems", "&Afficher les problèmes"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

TDesignCheckDlg* MainWindow::designCheckWindow() const noexcept
{
    return checkDlg_;
}

void MainWindow::designCheck()
{
    if (!checkDlg_) {
        checkDlg_ = new TDesignCheckDlg(this);
        checkDlg_->setRules(settings_.designRules);
        connect(checkDlg_, &TDesignCheckDlg::checkRequested, this, &MainWindow::runDesignCheck);
        connect(checkDlg_, &TDesignCheckDlg::problemActivated, this, &MainWindow::showDesignProblem);
        connect(checkDlg_, &TDesignCheckDlg::resolveRequested, this, &MainWindow::resolveBrokenRoutes);
    }
    checkDlg_->show();
    checkDlg_->raise();
    checkDlg_->activateWindow();
}

void MainWindow::storeDesignRules()
{
    if (checkDlg_)
        settings_.designRules = checkDlg_->rules();
}

void MainWindow::runDesignCheck()
{
    const TBoard* b = project_.currentBoard();
    if (!b)
        return;
    if (session_)
        session_->abortOperation();
    storeDesignRules();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DesignCheckResult r = CheckDesign(*b, settings_.designRules);
    QApplication::restoreOverrideCursor();
    if (!checkDlg_)
        designCheck();
    checkDlg_->setResult(r, b->Origin);
    gChecked = CheckedState::of(b);
    // The markers stay until the next change of the board or the next check.
    std::vector<TPoint> places;
    for (const DesignProblem& p : r.problems)
        places.push_back(p.at);
    board_->setMillingOverlay({}, std::move(places));
}

void MainWindow::showDesignProblem(int index)
{
    TBoard* b = project_.currentBoard();
    if (!b || !checkDlg_)
        return;
    // A list made before a change (or on another board) no longer names the right elements.
    if (!(gChecked == CheckedState::of(b))) {
        runDesignCheck();
        return;
    }
    const auto& problems = checkDlg_->result().problems;
    if (index < 0 || static_cast<std::size_t>(index) >= problems.size())
        return;
    const DesignProblem& p = problems[static_cast<std::size_t>(index)];
    if (session_)
        session_->abortOperation();
    if (p.layer >= LayerK1 && p.layer <= LayerB2)
        setActiveLayer(p.layer);
    for (auto& e : b->Elements)
        e->Selected = 0;
    for (std::size_t i : p.elements)
        if (i < b->Elements.size())
            b->Elements[i]->Selected = 1;
    view_.CentreOn(view_.surfaceX(p.at.x), static_cast<std::int32_t>(-std::int64_t{p.at.y}));
    board_->repaintAll();
    if (session_)
        session_->selectionChanged();
    updateCommandStates();
}

void MainWindow::resolveBrokenRoutes()
{
    const TBoard* b = project_.currentBoard();
    if (!b || !checkDlg_)
        return;
    if (!(gChecked == CheckedState::of(b)))
        runDesignCheck();
    const std::vector<std::size_t> tracks = checkDlg_->brokenRouteTracks();
    if (tracks.empty())
        return;
    if (session_)
        session_->abortOperation();
    ResolveBrokenRoutes(project_, tracks);
    board_->repaintAll();
    if (session_)
        session_->selectionChanged();
    updateCommandStates();
    runDesignCheck();
}

bool MainWindow::checkBeforeManufacturing()
{
    const TBoard* b = project_.currentBoard();
    if (!settings_.checkBeforeExport || !b)
        return true;
    storeDesignRules();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const DesignCheckResult r = CheckDesign(*b, settings_.designRules);
    QApplication::restoreOverrideCursor();
    if (r.errors == 0)
        return true;
    const QString text = countsText(r);
    const QMessageBox::StandardButton answer =
        askDesignProblems ? askDesignProblems(text) : askExportAnyway(this, text);
    if (answer == QMessageBox::Yes)
        return true;
    if (answer == QMessageBox::No) {
        designCheck();
        runDesignCheck();
    }
    return false;
}

} // namespace trevok
