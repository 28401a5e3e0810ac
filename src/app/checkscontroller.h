#pragma once
// The design check in the editor: its window, the markers over the board, showing one problem,
// turning broken routes back into rubber bands, and the check before manufacturing exports.

#include <QPointer>

#include <cstddef>

namespace trevok
{

class EditSession;
class Shell;
class TDesignCheckDlg;
class TProject;
class ViewModel;
class WindowViews;
struct Settings;
struct TBoard;

class ChecksController
{
  public:
    /// What the check touches besides the project: the rules and the "check before export"
    /// switch of the settings, the view it centres on a problem, the session it ends the
    /// running operation of.
    struct Parts {
        TProject& project;
        Settings& settings;
        ViewModel& view;
        EditSession& session;
    };
    ChecksController(const Parts& parts, Shell& shell, WindowViews& views)
        : p_(parts), shell_(shell), views_(views)
    {
    }

    /// "Designprüfung": the check window with the rules of the settings.
    void showWindow();
    /// The window's "Check": the current board against its rules, the list and the markers.
    void run();
    /// A double-clicked problem: its layer becomes active, its elements are selected and the
    /// view is centred on the place.
    void showProblem(int index);
    /// "Turn back into rubber bands" for the broken routes of the last check (one undo step).
    void resolveBrokenRoutes();
    /// Before a manufacturing export: with "Check the design before export" on, checks the board
    /// and, when it has errors, asks; true when the export goes on.
    bool beforeManufacturing();
    /// Keeps the rules of the check window in the settings.
    void storeRules();

    TDesignCheckDlg* window() const noexcept;

  private:
    /// What the list of the check window was made from: a board in one state of its history.
    struct CheckedState {
        const TBoard* board = nullptr;
        std::size_t undoDepth = 0;
        const void* undoTop = nullptr;

        static CheckedState of(const TBoard* b);
        bool operator==(const CheckedState&) const = default;
    };

    Parts p_;
    Shell& shell_;
    WindowViews& views_;
    QPointer<TDesignCheckDlg> window_;
    CheckedState checked_;
};

} // namespace trevok
