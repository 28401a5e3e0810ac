// Tracks that stay on the pads of a part while it is moved, turned or mirrored.

#include "edit/attachedends.h"
#include "edit/editcommands.h"
#include "edit/session.h"

#include "edittestboard.h"
#include "fakesessionview.h"

#include <gtest/gtest.h>

#include <functional>

using namespace trevok;
using namespace trevok::testing;

namespace
{

/// A part of three pads, a through-plated pair, an SMD pad and its print outline, all grouped
/// and selected, with tracks around it on both copper sides.
struct PartBoard {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 1};

    struct Follows {
        TObjekt* element;
        bool last;
        TObjekt* pad;
    };
    std::vector<Follows> follows; // the ends that must go with the part
    TObjekt* routed = nullptr;
    TObjekt* farPad = nullptr;

    PartBoard()
    {
        TProject& p = project;
        TObjekt& p0 = addPad(p, {2540, -2540}, LayerK1, true);
        TObjekt& p1 = addPad(p, {2540, -5080}, LayerK1, true);
        TObjekt& p1t = addPad(p, {2540, -5080}, LayerK2, true);
        twin(p1, p1t);
        TObjekt& p2 = addPad(p, {5080, -2540}, LayerK2, true);
        TObjekt& s0 = add(p, NewSmdPad({5080, -5080}, 100, LayerK1, 60), true);
        auto outline = NewTrack(20, LayerB1);
        for (TPoint c : {TPoint{2000, -2000}, TPoint{5600, -2000}, TPoint{5600, -5600}})
            AddPoint(*outline, c);
        add(p, std::move(outline), true);
        for (auto& e : boardOf(p).Elements)
            AddGroup(*e, 1);

        farPad = &addPad(p, {12700, -2540}, LayerK2);
        TObjekt& t0 = addTrack(p, {{2540, -2540}, {2540, -508}, {7620, -508}}, LayerK1);
        // On the pair from the other side, off the centre but on the copper.
        TObjekt& t1 = addTrack(p, {{10160, -5080}, {2560, -5080}}, LayerK2);
        // Both ends on the part, a corner between them.
        TObjekt& t3 = addTrack(p, {{2540, -2540}, {1000, -3800}, {2540, -5080}}, LayerK1);
        TObjekt& routedTrack = addTrack(p, {{5080, -2540}, {9000, -2540}, {12700, -2540}}, LayerK2);
        routedTrack.Autorouted = 1;
        routedTrack.RouteStart = &p2;
        routedTrack.RouteEnd = farPad;
        routed = &routedTrack;
        auto line = NewTrack(30, LayerK1);
        line->Kind = KindLine;
        line->X = 5080;
        line->Y = -5080;
        line->Size1 = 7620;
        line->Size2 = -7620;
        NormalizeLine(*line);
        TObjekt& l0 = add(p, std::move(line));
        // None of these follow: a single-sided pad seen from the other side, an end just off the
        // copper, a print track, and a corner (not an end) on a pad.
        addTrack(p, {{254, -2540}, {2540, -2540}}, LayerK2);
        addTrack(p, {{2640, -2540}, {2640, -254}}, LayerK1);
        addTrack(p, {{5080, -5080}, {254, -254}}, LayerB1);
        addTrack(p, {{0, -1000}, {5080, -2540}, {0, -4000}}, LayerK2);

        follows = {{&t0, false, &p0}, {&t1, true, &p1t},          {&t3, false, &p0},
                   {&t3, true, &p1},  {&routedTrack, false, &p2}, {&l0, false, &s0}};
    }
};

TPoint endOf(const TObjekt& e, bool last)
{
    if (e.Kind == KindLine)
        return last ? TPoint{e.Size1, e.Size2} : TPoint{e.X, e.Y};
    return last ? e.Points.back() : e.Points.front();
}

struct Operation {
    const char* name;
    std::function<void(PartBoard&)> run;
    // What the operation does to a vector from a pad's centre to a point on its copper.
    std::function<TPoint(TPoint)> turn;
};

TEST(AttachedEnds, EveryEndOnTheMovedPadsFollowsAndNothingElse)
{
    const auto same = [](TPoint v) { return v; };
    const std::vector<Operation> operations{
        {"drag",
         [](PartBoard& b) {
             drag(b.session, {5080, -2540}, {{5440, -2700}, {5590, -2800}});
         },
         same},
        {"arrow key", [](PartBoard& b) { b.session.keyPress(Key::Right, 0); }, same},
        {"rotate",
         [](PartBoard& b) {
             turnSelection(b.project, SelectionTurn::Rotate, b.session.dragConnectedTracks());
         },
         [](TPoint v) {
             return TPoint{v.y, -v.x};
         }},
        {"mirror left-right",
         [](PartBoard& b) {
             turnSelection(b.project, SelectionTurn::MirrorHorizontally, b.session.dragConnectedTracks());
         },
         [](TPoint v) {
             return TPoint{-v.x, v.y};
         }},
        {"mirror top-bottom",
         [](PartBoard& b) {
             turnSelection(b.project, SelectionTurn::MirrorVertically, b.session.dragConnectedTracks());
         },
         [](TPoint v) {
             return TPoint{v.x, -v.y};
         }},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        PartBoard on;
        PartBoard off;
        off.session.setDragConnectedTracks(false);
        ASSERT_TRUE(on.session.dragConnectedTracks()); // on by default
        ElementList& list = boardOf(on.project).Elements;
        const std::string before = dump(on.project);
        // The expected end of each follower, from where its pad's centre was.
        std::vector<TPoint> fromCentre;
        std::vector<TPoint> centreBefore;
        for (const auto& f : on.follows) {
            centreBefore.push_back({f.pad->X, f.pad->Y});
            const TPoint end = endOf(*f.element, f.last);
            fromCentre.push_back({end.x - f.pad->X, end.y - f.pad->Y});
        }
        std::vector<TObjekt> unselectedBefore;
        for (const auto& e : list)
            if (!e->Selected)
                unselectedBefore.push_back(*e);

        op.run(on);
        op.run(off);
        ASSERT_EQ(undoSteps(on.project), 1u);

        // The part itself does the same with the option on and off, and it did move.
        const ElementList& offList = boardOf(off.project).Elements;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i]->Selected)
                EXPECT_EQ(dumpElement(*list[i], list), dumpElement(*offList[i], offList)) << "element " << i;
        EXPECT_FALSE(on.follows[0].pad->X == centreBefore[0].x && on.follows[0].pad->Y == centreBefore[0].y);

        // Every attached end sits where its pad took it; every other point stays.
        std::vector<TObjekt> expected = unselectedBefore;
        std::size_t u = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i]->Selected)
                continue;
            TObjekt& want = expected[u++];
            for (std::size_t k = 0; k < on.follows.size(); ++k) {
                const auto& f = on.follows[k];
                if (f.element != list[i].get())
                    continue;
                const TPoint v = op.turn(fromCentre[k]);
                const TPoint to{f.pad->X + v.x, f.pad->Y + v.y};
                if (want.Kind == KindLine) {
                    (f.last ? want.Size1 : want.X) = to.x;
                    (f.last ? want.Size2 : want.Y) = to.y;
                } else {
                    (f.last ? want.Points.back() : want.Points.front()) = to;
                }
            }
            NormalizeLine(want);
            EXPECT_EQ(dumpElement(*list[i], list), dumpElement(want, list)) << "element " << i;
        }
        // The route still runs from its pad to the far pad.
        EXPECT_EQ(on.routed->Autorouted, 1);
        EXPECT_EQ(on.routed->RouteStart, on.follows[4].pad);
        EXPECT_EQ(on.routed->RouteEnd, on.farPad);

        // With the option off the tracks stay where they were, as they always did.
        std::size_t v = 0;
        for (std::size_t i = 0; i < offList.size(); ++i)
            if (!offList[i]->Selected)
                EXPECT_EQ(dumpElement(*offList[i], offList), dumpElement(unselectedBefore[v++], list))
                    << "element " << i;

        // One undo takes back the part and its tracks together.
        ASSERT_TRUE(Undo(on.project));
        EXPECT_EQ(dump(on.project), before);
    }
}

TEST(AttachedEnds, ATrackBetweenTwoPadsOfThePartMovesWholeOnlyWhenSelected)
{
    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        PartBoard b;
        TObjekt& t3 = *b.follows[2].element;
        t3.Selected = selected ? 1 : 0;
        const std::vector<TPoint> corners = t3.Points;
        b.session.mousePress({5080, -2540}, MouseButton::Left, 0);
        b.session.mouseMove({5080 + 508, -2540}, 0);
        // The preview draws the stretched segments where the release will leave them.
        const Preview& pv = b.view.previews[PreviewKind::Move];
        bool previewHasMiddle = false;
        for (const TObjekt& s : pv.shapes)
            if (s.Points.size() == 2 && s.Points[1] == corners[1])
                previewHasMiddle = s.Points[0] == TPoint{2540 + 508, -2540} ||
                                   s.Points[0] == TPoint{2540 + 508, -5080} || previewHasMiddle;
        EXPECT_EQ(previewHasMiddle, !selected);
        b.session.mouseRelease({5080 + 508, -2540}, MouseButton::Left, 0);

        const std::vector<TPoint> whole{{3048, -2540}, {1508, -3800}, {3048, -5080}};
        const std::vector<TPoint> stretched{{3048, -2540}, {1000, -3800}, {3048, -5080}};
        EXPECT_EQ(t3.Points, selected ? whole : stretched);
    }
}

} // namespace
