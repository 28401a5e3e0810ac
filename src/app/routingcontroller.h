#pragma once
// The routing commands of the editor that work on the whole board: removing the connections the
// copper already realises.

namespace trevok
{

class EditSession;
class Shell;
class TProject;
class WindowViews;

class RoutingController
{
  public:
    RoutingController(TProject& project, EditSession& session, Shell& shell, WindowViews& views)
        : project_(project), session_(session), shell_(shell), views_(views)
    {
    }

    /// "&Luftlinien entfernen": removes the connections the copper realises (one undo step, none
    /// when nothing was removed) and reports what it did.
    void clearConnections();

  private:
    TProject& project_;
    EditSession& session_;
    Shell& shell_;
    WindowViews& views_;
};

} // namespace trevok
