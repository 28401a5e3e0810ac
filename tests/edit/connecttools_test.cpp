// The Connect and Autoroute tools driven through the session: toggling connections with clicks
// that do and do not count, and picking a connection line at the tolerance of the view.
#include "edit/edittestboard.h"
#include "edit/session.h"
#include "routing/connections.h"

#include "fakesessionview.h"

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

struct ConnectTools : ::testing::Test {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 1};
    TObjekt* a = nullptr;
    TObjekt* b = nullptr;

    void SetUp() override
    {
        boardOf(project).ActiveLayer = LayerK1;
        a = &addPad(project, {2000, -2000});
        b = &addPad(project, {6000, -2000});
        addTrack(project, {{2000, -5000}, {6000, -5000}});
    }
};

} // namespace

TEST_F(ConnectTools, ClicksToggleOnlyBetweenTwoDifferentPads)
{
    session.SetTool(ToolConnect);
    click(session, {2000, -2000});
    EXPECT_EQ(view.hint, toolHintText(ToolHint::ConnectionNext, 1));
    click(session, {2000, -2000}); // the first pad again
    click(session, {4000, -5000}); // a track, not a pad
    click(session, {4000, -8000}); // nothing
    EXPECT_TRUE(a->Connections.empty());
    EXPECT_TRUE(boardOf(project).UndoStack.empty());
    session.mouseMove({5000, -2500}, 0);
    ASSERT_TRUE(view.shown(PreviewKind::ConnectionLine));
    EXPECT_EQ(view.previews[PreviewKind::ConnectionLine].points,
              (std::vector<TPoint>{{2000, -2000}, {5000, -2500}}));

    click(session, {6000, -2000});
    EXPECT_TRUE(AreConnected(*a, *b) && AreConnected(*b, *a));
    EXPECT_FALSE(view.shown(PreviewKind::ConnectionLine));
    EXPECT_EQ(view.hint, toolHintText(ToolHint::ConnectionFirst, 1));
    click(session, {6000, -2000});
    click(session, {2000, -2000});
    EXPECT_TRUE(a->Connections.empty() && b->Connections.empty());
    EXPECT_EQ(boardOf(project).UndoStack.size(), 2u);
    // Only the pad under the cursor shows selected.
    session.mouseMove({4000, -5000}, 0);
    EXPECT_EQ(countSelected(boardOf(project).Elements), 0u);
}

TEST_F(ConnectTools, ConnectionLineHitAtTheViewTolerance)
{
    // Window pixels: a slanted line from (0, 0) to (100, 50).
    EXPECT_TRUE(ConnectionLineHit(0, 0, 100, 50, 50, 25, 3));
    EXPECT_TRUE(ConnectionLineHit(0, 0, 100, 50, 50, 28, 3));
    EXPECT_FALSE(ConnectionLineHit(0, 0, 100, 50, 50, 29, 3));
    EXPECT_FALSE(ConnectionLineHit(0, 0, 100, 50, 104, 52, 3)); // beyond the end
    // Steep: the test along x catches what the test along y would miss.
    EXPECT_TRUE(ConnectionLineHit(0, 0, 5, 100, 4, 50, 3));
    EXPECT_TRUE(ConnectionLineHit(10, 0, 10, 100, 13, 50, 3)); // vertical

    // In the tool: hovering the line selects both pads; a miss selects nothing.
    AddConnection(*a, *b);
    session.SetTool(ToolAutoRoute);
    session.mouseMove({4000, -2000 - 20}, 0); // 2 pixels off at zoom 0.1
    EXPECT_TRUE(a->Selected && b->Selected);
    session.mouseMove({4000, -2000 - 200}, 0);
    EXPECT_EQ(countSelected(boardOf(project).Elements), 0u);
}

namespace
{

/// Records the router's status texts and every showing and hiding of the search window.
struct RouterView : FakeSessionView {
    std::vector<std::string> statuses;
    std::vector<std::string> windowEvents;
    int routerShown = 0;
    void setRouterStatus(const std::string& text) override { statuses.push_back(text); }
    void showRouterWindow() override { ++routerShown; }
    void showPreview(const Preview& p) override
    {
        if (p.kind == PreviewKind::RouterWindow)
            windowEvents.push_back("show");
        FakeSessionView::showPreview(p);
    }
    void hidePreview(PreviewKind kind) override
    {
        if (kind == PreviewKind::RouterWindow)
            windowEvents.push_back("hide");
        FakeSessionView::hidePreview(kind);
    }
};

} // namespace

TEST(RouterTool, StatusAndSearchWindowWhileRoutingThenResolve)
{
    TProject project = oneBoardProject();
    RouterView view;
    EditSession session{project, view, 0};
    TBoard& b = boardOf(project);
    b.ActiveLayer = LayerK1;
    TObjekt& a = addPad(project, {2000, -2000});
    TObjekt& c = addPad(project, {6000, -2000});
    AddConnection(a, c);
    session.SetTool(ToolAutoRoute);
    EXPECT_EQ(view.routerShown, 1);
    click(session, {4000, -2000});
    ASSERT_EQ(b.Elements.size(), 3u);
    EXPECT_EQ(view.statuses.front(), "Analysiere...");
    // The pads' cells 24..74 x 24 give the first window 10..80 x 10..30, cut to the elements'
    // cells grown by 10 (14..86 x 14..36), shown in mm: left/top right/bottom.
    EXPECT_EQ(view.statuses[1], "11/11 64/24");
    EXPECT_EQ(view.statuses.back(), "Erfolgreich");
    EXPECT_EQ(view.windowEvents, (std::vector<std::string>{"show", "hide"}));
    EXPECT_FALSE(view.shown(PreviewKind::RouterWindow));
    EXPECT_EQ(b.UndoStack.size(), 1u);

    const TPoint mid{(b.Elements[2]->Points[1].x + b.Elements[2]->Points[2].x) / 2,
                     (b.Elements[2]->Points[1].y + b.Elements[2]->Points[2].y) / 2};
    click(session, mid);
    EXPECT_EQ(b.Elements.size(), 2u);
    EXPECT_EQ(view.statuses.back(), "Autoroute aufgelöst");
    EXPECT_TRUE(AreConnected(a, c));
}
