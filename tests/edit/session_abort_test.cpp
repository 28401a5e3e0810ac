// Ending what is under way: ESC in every tool, undo right after the first click of a track or
// area, and the open outline of an area being drawn.

#include "edit/session.h"

#include "document/undo.h"
#include "edittestboard.h"
#include "fakesessionview.h"

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

struct AbortFixture : ::testing::Test {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 1};

    ElementList& elements() { return boardOf(project).Elements; }
};

TEST_F(AbortFixture, UndoAfterTheFirstClickTakesBackOnlyTheStartedElement)
{
    for (int tool : {ToolTrack, ToolArea}) {
        SCOPED_TRACE(tool);
        project = oneBoardProject();
        session.SetTool(ToolPad);
        click(session, {2540, -2540});
        ASSERT_EQ(undoSteps(project), 1u);
        session.SetTool(tool);
        click(session, {0, 0});
        ASSERT_EQ(elements().size(), 2u);

        EXPECT_TRUE(session.undo());
        ASSERT_EQ(elements().size(), 1u) << "the pad placed before stays";
        EXPECT_EQ(elements()[0]->Kind, KindPad);
        EXPECT_EQ(undoSteps(project), 1u);
        EXPECT_FALSE(session.state().busy);

        // The next undo takes the pad.
        EXPECT_TRUE(session.undo());
        EXPECT_TRUE(elements().empty());
    }
}

TEST_F(AbortFixture, UndoOfATrackOfTwoCornersTakesTheWholeTrack)
{
    session.SetTool(ToolPad);
    click(session, {2540, -2540});
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    click(session, {508, 0});
    EXPECT_TRUE(session.undo());
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Kind, KindPad);
}

TEST_F(AbortFixture, AnAreaBeingDrawnIsAnOpenOutlineUntilClosed)
{
    session.SetTool(ToolArea);
    session.state().bendMode = 4;
    click(session, {0, 0});
    click(session, {508, 0});
    click(session, {508, -508});
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Closed, 0);
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_EQ(elements()[0]->Closed, 1);

    // Closed by clicking the first corner, and ended by changing the tool.
    click(session, {1016, 0});
    click(session, {1524, 0});
    click(session, {1524, -508});
    EXPECT_EQ(elements().back()->Closed, 0);
    click(session, {1016, 0});
    EXPECT_EQ(elements().back()->Closed, 1);
    click(session, {2032, 0});
    click(session, {2540, 0});
    click(session, {2540, -508});
    session.SetTool(ToolStandard);
    EXPECT_EQ(elements().back()->Closed, 1);
}

TEST_F(AbortFixture, EscapeEndsWhatIsDrawnOrPlacedAsARightClickWould)
{
    // A track of two corners is kept; the tool stays for the next one.
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    click(session, {508, 0});
    EXPECT_TRUE(session.keyPress(Key::Escape, 0));
    EXPECT_FALSE(session.state().busy);
    EXPECT_FALSE(view.shown(PreviewKind::RubberBand));
    EXPECT_FALSE(view.confined);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements()[0]->Points.size(), 2u);
    EXPECT_EQ(session.tool(), ToolTrack);
    // Idle, ESC leaves the tool.
    session.keyPress(Key::Escape, 0);
    EXPECT_EQ(session.tool(), ToolStandard);

    // An area of one corner goes with its step.
    session.SetTool(ToolArea);
    click(session, {0, -1016});
    session.keyPress(Key::Escape, 0);
    EXPECT_EQ(elements().size(), 1u);
    EXPECT_EQ(undoSteps(project), 1u);

    // A ring being dragged open is dropped.
    session.SetTool(ToolRing);
    session.mousePress({2540, -2540}, MouseButton::Left, 0);
    session.mouseMove({3540, -2540}, 0);
    session.keyPress(Key::Escape, 0);
    EXPECT_FALSE(view.shown(PreviewKind::CircleOutline));
    session.mouseRelease({3540, -2540}, MouseButton::Left, 0);
    EXPECT_EQ(elements().size(), 1u);

    // Placing the clipboard and the polygon tool end without placing anything.
    elements()[0]->Selected = 1;
    session.startDuplicate();
    session.mouseMove({5080, -2540}, 0);
    session.keyPress(Key::Escape, 0);
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_FALSE(view.shown(PreviewKind::Move));
    session.SetTool(ToolVieleck);
    session.mouseMove({5080, -2540}, 0);
    session.keyPress(Key::Escape, 0);
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_FALSE(view.shown(PreviewKind::PolygonOutline));
    EXPECT_EQ(elements().size(), 1u);
    EXPECT_EQ(undoSteps(project), 1u);
}

TEST_F(AbortFixture, EscapeInTheStandardToolDropsTheDragThenTheSelection)
{
    TObjekt& pad = addPad(project, {2540, -2540});
    TObjekt& track = addTrack(project, {{0, 0}, {1016, 0}});
    click(session, {2540, -2540});
    ASSERT_TRUE(pad.Selected);

    // A move under way is dropped: the release moves nothing.
    session.mousePress({2540, -2540}, MouseButton::Left, 0);
    session.mouseMove({5080, -2540}, 0);
    session.keyPress(Key::Escape, 0);
    EXPECT_FALSE(view.shown(PreviewKind::Move));
    session.mouseRelease({5080, -2540}, MouseButton::Left, 0);
    EXPECT_EQ(pad.X, 2540);
    EXPECT_TRUE(pad.Selected);

    // A corner drag leaves no empty step behind.
    click(session, {508, 0});
    ASSERT_TRUE(track.Selected);
    session.mousePress({1016, 0}, MouseButton::Left, 0);
    session.mouseMove({1016, -1016}, 0);
    ASSERT_EQ(undoSteps(project), 1u);
    session.keyPress(Key::Escape, 0);
    session.mouseRelease({1016, -1016}, MouseButton::Left, 0);
    EXPECT_EQ(track.Points[1], (TPoint{1016, 0}));
    EXPECT_EQ(undoSteps(project), 0u);

    // Idle: the selection goes.
    session.keyPress(Key::Escape, 0);
    EXPECT_FALSE(track.Selected);
    EXPECT_EQ(countSelected(elements()), 0u);
}

} // namespace

namespace
{

TEST_F(AbortFixture, PreviewsFollowTheCursorAtOnceAfterPasteAndTheTextDialog)
{
    addPad(project, {2540, -2540}, LayerK2, true);
    view.cursorAt = TPoint{5080, -2540};
    session.startDuplicate();
    ASSERT_TRUE(view.shown(PreviewKind::Move)) << "before the mouse moves";
    EXPECT_EQ(view.previews[PreviewKind::Move].offset, (TPoint{2540, 0}));
    session.keyPress(Key::Escape, 0);
    EXPECT_FALSE(view.shown(PreviewKind::Move));

    FakeSessionView::TextAnswer answer;
    answer.settings.text = "AB";
    view.textAnswers = {answer, answer};
    session.SetTool(ToolText);
    ASSERT_EQ(session.tool(), ToolText);
    ASSERT_TRUE(view.shown(PreviewKind::Move)) << "the text follows the cursor at once";
    const TPoint first = view.previews[PreviewKind::Move].offset;
    // After placing, the next text's dialog is answered and its preview is at the cursor too.
    view.previews.clear();
    click(session, {5080, -2540});
    EXPECT_TRUE(view.shown(PreviewKind::Move));
    EXPECT_EQ(view.previews[PreviewKind::Move].offset, first);
}

} // namespace
