#pragma once
// The routing of the editor beyond drawing single tracks: the router window of the autorouter
// tool, and removing the connections the copper already realises.

#include <QPointer>

class QString;

namespace trevok
{

class EditSession;
class Shell;
class TAutoRouter;
class TProject;
class WindowViews;
struct Settings;

class RoutingController
{
  public:
    /// settings: where the router window's place is kept between runs.
    RoutingController(TProject& project, EditSession& session, Settings& settings, Shell& shell,
                      WindowViews& views)
        : project_(project), session_(session), settings_(settings), shell_(shell), views_(views)
    {
    }

    /// "&Luftlinien entfernen": removes the connections the copper realises (one undo step, none
    /// when nothing was removed) and reports what it did.
    void clearConnections();

    /// The router window of the autorouter tool, made on first use at the place it had last;
    /// closing it gives the tool up.
    void showWindow();
    /// The window goes away with the other tool windows (another tool was chosen).
    void hideWindow();
    /// The router's state in the window's status line.
    void setStatus(const QString& text);
    /// Keeps the window's place in the settings.
    void storePlace();

  private:
    TProject& project_;
    EditSession& session_;
    Settings& settings_;
    Shell& shell_;
    WindowViews& views_;
    QPointer<TAutoRouter> window_;
};

} // namespace trevok
