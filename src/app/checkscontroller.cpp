#include "app/checkscontroller.h"

#include "app/settings.h"
#include "app/shell.h"
#include "dialogs/designcheckdlg.h"
#include "document/undo.h"
#include "edit/session.h"
#include "output/designcheck.h"
#include "view/texts.h"
#include "view/viewmodel.h"

#include <QApplication>
#include <QMessageBox>

namespace trevok
{
namespace
{

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

DesignCheckResult checkWithWaitCursor(const TBoard& board, const DesignRules& rules)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DesignCheckResult r = CheckDesign(board, rules);
    QApplication::restoreOverrideCursor();
    return r;
}

} // namespace

ChecksController::CheckedState ChecksController::CheckedState::of(const TBoard* b)
{
    if (!b)
        return {};
    return {b, b->UndoStack.size(), b->UndoStack.empty() ? nullptr : b->UndoStack.back().data()};
}

TDesignCheckDlg* ChecksController::window() const noexcept
{
    return window_;
}

void ChecksController::showWindow()
{
    if (!window_) {
        window_ = new TDesignCheckDlg(views_.dialogParent());
        window_->setRules(p_.settings.designRules);
        QObject::connect(window_, &TDesignCheckDlg::checkRequested, window_, [this] { run(); });
        QObject::connect(window_, &TDesignCheckDlg::problemActivated, window_,
                         [this](int index) { showProblem(index); });
        QObject::connect(window_, &TDesignCheckDlg::resolveRequested, window_,
                         [this] { resolveBrokenRoutes(); });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void ChecksController::storeRules()
{
    if (window_)
        p_.settings.designRules = window_->rules();
}

void ChecksController::run()
{
    const TBoard* b = p_.project.currentBoard();
    if (!b)
        return;
    views_.abortOperation();
    storeRules();
    const DesignCheckResult r = checkWithWaitCursor(*b, p_.settings.designRules);
    if (!window_)
        showWindow();
    window_->setResult(r, b->Origin);
    checked_ = CheckedState::of(b);
    // The markers stay until the next change of the board or the next check.
    std::vector<TPoint> places;
    for (const DesignProblem& p : r.problems)
        places.push_back(p.at);
    views_.showMarkers({}, std::move(places));
}

void ChecksController::showProblem(int index)
{
    TBoard* b = p_.project.currentBoard();
    if (!b || !window_)
        return;
    // A list made before a change (or on another board) no longer names the right elements.
    if (!(checked_ == CheckedState::of(b))) {
        run();
        return;
    }
    const auto& problems = window_->result().problems;
    if (index < 0 || static_cast<std::size_t>(index) >= problems.size())
        return;
    const DesignProblem& p = problems[static_cast<std::size_t>(index)];
    views_.abortOperation();
    if (p.layer >= LayerK1 && p.layer <= LayerB2)
        views_.setActiveLayer(p.layer);
    for (auto& e : b->Elements)
        e->Selected = 0;
    for (std::size_t i : p.elements)
        if (i < b->Elements.size())
            b->Elements[i]->Selected = 1;
    p_.view.CentreOn(p_.view.surfaceX(p.at.x), static_cast<std::int32_t>(-std::int64_t{p.at.y}));
    views_.repaintBoard();
    p_.session.selectionChanged();
    views_.commandsChanged();
}

void ChecksController::resolveBrokenRoutes()
{
    const TBoard* b = p_.project.currentBoard();
    if (!b || !window_)
        return;
    if (!(checked_ == CheckedState::of(b)))
        run();
    const std::vector<std::size_t> tracks = window_->brokenRouteTracks();
    if (tracks.empty())
        return;
    views_.abortOperation();
    ResolveBrokenRoutes(p_.project, tracks);
    views_.repaintBoard();
    p_.session.selectionChanged();
    views_.commandsChanged();
    run();
}

bool ChecksController::beforeManufacturing()
{
    const TBoard* b = p_.project.currentBoard();
    if (!p_.settings.checkBeforeExport || !b)
        return true;
    storeRules();
    const DesignCheckResult r = checkWithWaitCursor(*b, p_.settings.designRules);
    if (r.errors == 0)
        return true;
    const QMessageBox::StandardButton answer = shell_.askDesignProblems(countsText(r));
    if (answer == QMessageBox::Yes)
        return true;
    if (answer == QMessageBox::No) {
        showWindow();
        run();
    }
    return false;
}

} // namespace trevok
