#pragma once
// Boards for the edit command tests, and a canonical dump of a list in which every reference is
// written as a list position, so that two lists compare equal exactly when they hold the same
// elements linked the same way.

#include "document/objekt.h"
#include "document/project.h"
#include "document/undo.h"

#include <sstream>
#include <string>

namespace trevok::testing
{

inline TProject oneBoardProject()
{
    TProject p;
    NewBoard(p, "Platine 1");
    return p;
}

inline TBoard& boardOf(TProject& p)
{
    return *p.currentBoard();
}

inline TObjekt& add(TProject& p, std::unique_ptr<TObjekt> e, bool selected = false)
{
    e->Selected = selected ? 1 : 0;
    boardOf(p).Elements.push_back(std::move(e));
    return *boardOf(p).Elements.back();
}

inline TObjekt& addTrack(TProject& p, std::initializer_list<TPoint> corners, std::uint8_t layer = LayerK1,
                         bool selected = false)
{
    auto t = NewTrack(40, layer);
    for (TPoint c : corners)
        AddPoint(*t, c);
    return add(p, std::move(t), selected);
}

inline TObjekt& addPad(TProject& p, TPoint c, std::uint8_t layer = LayerK1, bool selected = false)
{
    return add(p, NewPad(c, 80, ShapeRound, layer, 40), selected);
}

inline void connect(TObjekt& a, TObjekt& b)
{
    a.Connections.push_back(&b);
    b.Connections.push_back(&a);
}

inline void twin(TObjekt& a, TObjekt& b)
{
    a.Twin = &b;
    b.Twin = &a;
}

inline std::string dumpElement(const TObjekt& e, const ElementList& list)
{
    auto at = [&](const TObjekt* r) -> std::string {
        if (!r)
            return "-";
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == r)
                return std::to_string(i);
        return "outside";
    };
    std::ostringstream o;
    o << int(e.Kind) << " (" << e.X << ',' << e.Y << ") s" << e.Size1 << '/' << e.Size2 << " w" << e.Width
      << " L" << int(e.Layer) << " sh" << int(e.Shape) << " a" << e.Angle << " f" << int(e.Filled) << " c"
      << e.Clearance << " r" << int(e.Restricted) << " m" << int(e.MirrorH) << int(e.MirrorV) << " ar"
      << int(e.Autorouted) << " [" << at(e.RouteStart) << ' ' << at(e.RouteEnd) << "] twin " << at(e.Twin)
      << " conn";
    for (const TObjekt* c : e.Connections)
        o << ' ' << at(c);
    o << " groups";
    for (std::int32_t g : e.Groups)
        o << ' ' << g;
    o << " pts";
    for (TPoint q : e.Points)
        o << " (" << q.x << ',' << q.y << ')';
    o << " text '" << e.Text << "' strokes{";
    for (const TObjekt& s : e.Strokes)
        o << dumpElement(s, list) << ';';
    o << '}';
    return o.str();
}

/// Every element on its own line; the selection is left out (undo leaves nothing selected).
inline std::string dump(const ElementList& list)
{
    std::string out;
    for (const auto& e : list)
        out += dumpElement(*e, list) + '\n';
    return out;
}

inline std::string dump(TProject& p)
{
    return dump(boardOf(p).Elements);
}

inline std::size_t undoSteps(TProject& p)
{
    return boardOf(p).UndoStack.size();
}

} // namespace trevok::testing
