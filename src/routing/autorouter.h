#pragma once
// The autorouter: lays one track for one connection between two pads, on one copper layer, with
// a width and a clearance, and takes such a track back into the connection.
//
// A route runs in the order: nets of both pads and the obstacles in router space, the search in
// windows growing by 10 cells from the rectangle of the two pads, the track from the reached
// cells (horizontal, vertical and 45-degree segments), and a repair pass that moves colliding
// segments sideways. See routersearch.h for the grid and the wave.

#include "document/project.h"
#include "routing/routersearch.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace trevok
{

/// The values of the router window (mm, 0.1 to 9.9).
struct RouterSettings {
    double widthMm = 0.4;
    double clearanceMm = 0.2;
};

/// The router's values in board units.
struct RouterValues {
    std::int32_t clearance = 0; // c
    std::int32_t width = 0;     // w
    std::int32_t cell = 0;      // s: (w + 2c) rounded to tens, at least 40

    static RouterValues from(const RouterSettings& settings) noexcept;
};

/// The status messages of the router window.
enum class RouterMessage { Ready, Analyzing, NotFound, Successful, Resolved };
/// The text in a language (0 German, 1 English, 2 French), without the leading blank.
std::string RouterText(RouterMessage message, int language);
/// The search window as the status line shows it: "left/top right/bottom" in whole mm.
std::string RouterWindowText(const CellRect& window, std::int32_t cell);

/// What a route shows while it runs. The default does nothing.
class RouteProgress
{
  public:
    virtual ~RouteProgress() = default;
    virtual void status(const std::string& text) { (void)text; }
    /// The search window's board rectangle is shown (XOR fill) or hidden again.
    virtual void window(const TRect& boardRect, bool shown)
    {
        (void)boardRect;
        (void)shown;
    }
};

struct RouteOptions {
    RouterSettings settings;
    std::int32_t trackClearance = 40; // Clearance of the new track (the current clearance)
    std::int32_t currentWidth = 40;   // the current track width NewTrack starts with
    int language = 1;
    RouteProgress* progress = nullptr;
    RingSearch search; // empty: SearchRings
    bool keepGrid = false;
};

struct RouteOutcome {
    enum Result { NoPair, NotFound, Routed } result = NoPair;
    TObjekt* track = nullptr;         // the new track when routed
    TObjekt* start = nullptr;         // A
    TObjekt* end = nullptr;           // B
    std::unique_ptr<RouterGrid> grid; // with keepGrid
    std::vector<CellRect> windows;    // the windows searched, in order
};

/// The copper layer a route on the board's active layer goes to (a print layer's side).
std::uint8_t RouteLayer(const TBoard& board) noexcept;

/// Routes the connection of the first selected pad A (list order) whose Connections hold a
/// selected pad B, on the current board's route layer. Routed: one undo step adds the track
/// (Autorouted, RouteStart A, RouteEnd B, nodes from B's centre to A's centre) and removes the
/// connection; the track, A and B are selected. Not found: the board is as before and no undo
/// step is left; A and B are selected.
RouteOutcome RouteConnection(TProject& project, const RouteOptions& options);

/// The first selected autorouted track goes back into its connection (one undo step). When a
/// pad of it is gone the track stays as an ordinary track. Returns false when no autorouted
/// track is selected.
bool ResolveRoute(TProject& project);
/// What ResolveRoute does to the autorouted track at index, without an undo step: the track
/// becomes its connection again, or an ordinary track when a pad of it is gone. Other elements
/// do nothing.
void ResolveRouteTrack(ElementList& list, std::size_t index);

// ---------------------------------------------------------------------------------------------
// Steps of a route, for tests

/// The walk back from the end cell: the track's nodes from B's centre to A's centre.
std::vector<TPoint> BuildTrackNodes(const RouterGrid& grid, CellPos start, CellPos end, TPoint a, TPoint b,
                                    std::int32_t cell);
/// Moves colliding segments sideways; false when one could not be moved or the last collides.
/// test: true when a segment (two board points) is free of obstacles.
bool RepairTrack(std::vector<TPoint>& nodes, std::int32_t clearance,
                 const std::function<bool(TPoint, TPoint)>& free);

} // namespace trevok
