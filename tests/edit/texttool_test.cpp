// The Text tool and the editing of texts already on the board, driven through the session with
// a recording view that answers the text dialog from a script.

#include "edit/session.h"
#include "edit/strokefont.h"
#include "edit/textedit.h"

#include "edittestboard.h"
#include "fakesessionview.h"

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

LayoutTextSettings textOf(const char* text, bool numbering)
{
    LayoutTextSettings s;
    s.text = text;
    s.numbering = numbering;
    return s;
}

struct TextTool : ::testing::Test {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 1};

    TBoard& board() { return boardOf(project); }
    ElementList& elements() { return board().Elements; }

    void answer(const char* text, bool numbering, int start = 0)
    {
        view.textAnswers.push_back({true, textOf(text, numbering), start});
    }

    /// The texts on the board in list order.
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (const auto& e : elements())
            if (e->Kind == KindLayoutText)
                out.push_back(e->Text);
        return out;
    }

    static TPoint corner(const TObjekt& e)
    {
        const TRect b = Bounds(e);
        return {static_cast<std::int32_t>(b.left), static_cast<std::int32_t>(b.top)};
    }
};

// ---------------------------------------------------------------------------------------------
// Placing

TEST_F(TextTool, ThreeClicksPlaceNumberedTextsEachOneUndoStep)
{
    answer("R", true, 1);
    session.SetTool(ToolText);
    ASSERT_EQ(session.tool(), ToolText);
    // The preview waits outside the board, selected, with the first number.
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(elements().back()->Text, "R1");
    EXPECT_TRUE(elements().back()->Selected);
    EXPECT_EQ(undoSteps(project), 1u);

    const TPoint clicks[] = {{2540, -2540}, {5080, -2540}, {2540, -5080}};
    for (TPoint c : clicks) {
        session.mouseMove({c.x + 30, c.y - 40}, 0); // snapped to the grid point c
        ASSERT_TRUE(view.shown(PreviewKind::Move));
        EXPECT_EQ(view.previews[PreviewKind::Move].offset, (TPoint{c.x, c.y - 100}));
        click(session, {c.x + 30, c.y - 40});
    }
    EXPECT_EQ(session.tool(), ToolText);
    EXPECT_EQ(texts(), (std::vector<std::string>{"R1", "R2", "R3", "R4"})) << "R4 is the preview";

    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_EQ(session.tool(), ToolStandard);
    ASSERT_EQ(texts(), (std::vector<std::string>{"R1", "R2", "R3"}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(corner(*elements()[i]), clicks[i]) << elements()[i]->Text;
        EXPECT_FALSE(elements()[i]->Strokes.empty());
        EXPECT_EQ(elements()[i]->Layer, board().ActiveLayer);
    }
    EXPECT_FALSE(view.shown(PreviewKind::Move));

    // One step per text, and none for the preview the right click removed.
    EXPECT_EQ(undoSteps(project), 3u);
    ASSERT_TRUE(Undo(project));
    EXPECT_EQ(texts(), (std::vector<std::string>{"R1", "R2"}));
    ASSERT_TRUE(Undo(project));
    ASSERT_TRUE(Undo(project));
    EXPECT_TRUE(elements().empty());
}

TEST_F(TextTool, NumberingHasNoLeadingZerosAndTheNumberGoesOnAfterAStop)
{
    answer("X", true, 9);
    session.SetTool(ToolText);
    click(session, {2540, -2540});
    click(session, {2540, -5080});
    click(session, {2540, -7620});
    session.SetTool(ToolStandard); // leaving the tool by a button removes the preview as well
    EXPECT_EQ(texts(), (std::vector<std::string>{"X9", "X10", "X11"}));
    EXPECT_EQ(undoSteps(project), 3u);
    EXPECT_EQ(session.textStart(), 9) << "the dialog shows the last start value again";

    // Wider numbers make wider texts, from the same corner.
    EXPECT_LT(Bounds(*elements()[0]).right, Bounds(*elements()[1]).right);
    EXPECT_EQ(corner(*elements()[1]), (TPoint{2540, -5080}));
}

TEST_F(TextTool, WithoutNumberingTheDialogComesBackAfterEachText)
{
    answer("GND", false);
    answer("VCC", false);
    view.textAnswers.push_back({false, {}, 0}); // Cancel
    session.SetTool(ToolText);
    click(session, {2540, -2540});
    EXPECT_EQ(view.textDialogShownWith.size(), 2u);
    click(session, {5080, -2540});
    EXPECT_EQ(view.textDialogShownWith.size(), 3u);
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_EQ(texts(), (std::vector<std::string>{"GND", "VCC"}));
    EXPECT_EQ(undoSteps(project), 2u);
    EXPECT_EQ(countSelected(elements()), 0u);
}

TEST_F(TextTool, ATextThatDrawsNothingIsRefusedWithItsMessage)
{
    for (const char* nothing : {"   ", "", "@$;"}) {
        SCOPED_TRACE(nothing);
        view.messages.clear();
        answer(nothing, false);
        session.SetTool(ToolText);
        EXPECT_EQ(session.tool(), ToolStandard);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0], MsgId::TextNotGenerated);
        EXPECT_TRUE(elements().empty());
        EXPECT_EQ(undoSteps(project), 0u);
        EXPECT_FALSE(project.Modified);
    }
    // Cancel is no failure: no message.
    view.messages.clear();
    view.textAnswers.push_back({false, {}, 0});
    session.SetTool(ToolText);
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(TextTool, TextsOnSideTwoAreMirroredByDefault)
{
    view.textAnswers.push_back({false, {}, 0});
    session.textSettings().mirrorV = true;
    board().ActiveLayer = LayerB2;
    session.SetTool(ToolText);
    ASSERT_EQ(view.textDialogShownWith.size(), 1u);
    EXPECT_TRUE(view.textDialogShownWith[0].mirrorH);
    EXPECT_FALSE(view.textDialogShownWith[0].mirrorV);

    view.textAnswers.push_back({false, {}, 0});
    board().ActiveLayer = LayerB1;
    session.SetTool(ToolText);
    EXPECT_FALSE(view.textDialogShownWith[1].mirrorH);

    // A mirrored text reads from right to left: the first letter ends up on the right.
    answer("L", false);
    board().ActiveLayer = LayerK2;
    session.SetTool(ToolText);
    const TObjekt& preview = *elements().back();
    ASSERT_EQ(preview.Strokes.size(), 1u);
    EXPECT_EQ(preview.MirrorH, 1);
    // "L" is drawn from its top down and then to the right; mirrored, its foot goes left.
    const std::vector<TPoint>& l = preview.Strokes[0].Points;
    ASSERT_EQ(l.size(), 3u);
    EXPECT_GT(l[1].x, l[2].x);
}

TEST_F(TextTool, ThePreviewStaysInsideTheBoardOnTheRightAndAtTheTop)
{
    answer("EDGE", false);
    session.SetTool(ToolText);
    const TObjekt& preview = *elements().back();
    const TRect b = Bounds(preview);
    session.mouseMove({board().BoardWidth + 5000, 3000}, 0);
    const TPoint offset = view.previews[PreviewKind::Move].offset;
    EXPECT_EQ(b.right + offset.x, board().BoardWidth);
    EXPECT_EQ(b.bottom + offset.y, 0);

    view.textAnswers.push_back({false, {}, 0});
    click(session, {board().BoardWidth + 5000, 3000});
    ASSERT_EQ(elements().size(), 1u);
    const TRect placed = Bounds(*elements()[0]);
    EXPECT_EQ(placed.right, board().BoardWidth);
    EXPECT_EQ(placed.bottom, 0);
    // Left and bottom are not limited: the text goes where the cursor is.
    EXPECT_EQ(placed.right - placed.left, b.right - b.left);
}

TEST_F(TextTool, AbortingThePlacementLeavesNeitherPreviewNorEmptyStep)
{
    addPad(project, {1000, -1000});
    answer("T", true, 1);
    session.SetTool(ToolText);
    click(session, {2540, -2540});
    EXPECT_EQ(undoSteps(project), 2u);

    // The arrow keys and DELETE do not act on the preview.
    session.keyPress(Key::Right, 0);
    session.keyPress(Key::Delete, 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(undoSteps(project), 2u);

    // What the window does before an undo, a save or a board switch.
    session.abortOperation();
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_EQ(texts(), (std::vector<std::string>{"T1"}));
    EXPECT_EQ(undoSteps(project), 1u);
    ASSERT_TRUE(Undo(project));
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(elements().size(), 1u) << "the pad stays";
}

// ---------------------------------------------------------------------------------------------
// Editing

TEST_F(TextTool, EditingKeepsTheLowerLeftCornerLayerAndGroups)
{
    int counter = 0;
    LayoutTextSettings s = textOf("AB", false);
    auto made = makeLayoutText({3000, -4000}, s, LayerB1, 17, 254.0, counter);
    AddGroup(*made, 5);
    TObjekt& old = add(project, std::move(made));
    addPad(project, {9000, -9000});
    const TPoint before = corner(old);

    LayoutTextSettings changed = textOf("ABCD", true);
    changed.heightMm = 2.5;
    changed.orientation = 1;
    const EditResult r = editLayoutText(project, 0, changed);
    EXPECT_TRUE(r.changed);
    ASSERT_EQ(elements().size(), 2u);
    const TObjekt& now = *elements()[0];
    EXPECT_EQ(now.Text, "ABCD") << "editing never appends a number";
    EXPECT_EQ(corner(now), before);
    EXPECT_EQ(now.Layer, LayerB1);
    EXPECT_EQ(now.Clearance, 17);
    EXPECT_EQ(now.Groups, std::vector<std::int32_t>{5});
    EXPECT_EQ(now.Size1, 250);
    EXPECT_EQ(now.Angle, 1);
    // Turned a quarter: taller than wide now.
    const TRect b = Bounds(now);
    EXPECT_GT(b.bottom - b.top, b.right - b.left);
    EXPECT_EQ(undoSteps(project), 1u);
    ASSERT_TRUE(Undo(project));
    EXPECT_EQ(elements()[0]->Text, "AB");
}

TEST_F(TextTool, ClearingTheTextInTheEditDialogKeepsTheText)
{
    int counter = 0;
    add(project, makeLayoutText({3000, -4000}, textOf("KEEP", false), LayerK1, 0, 254.0, counter));
    const std::string before = dump(project);
    for (const char* nothing : {"", "  "}) {
        const EditResult r = editLayoutText(project, 0, textOf(nothing, false));
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(dump(project), before);
        EXPECT_EQ(undoSteps(project), 0u);
    }
    // Not a layout text, or no element at all: nothing happens.
    addPad(project, {100, -100});
    EXPECT_FALSE(editLayoutText(project, 1, textOf("X", false)).changed);
    EXPECT_FALSE(editLayoutText(project, 7, textOf("X", false)).changed);
}

TEST_F(TextTool, DoubleClickOpensTheEditorAndTheNextPressIsARealOne)
{
    int counter = 0;
    TObjekt& text =
        add(project, makeLayoutText({3000, -4000}, textOf("HI", false), LayerK1, 0, 254.0, counter));
    const TRect b = Bounds(text);
    // A point on the first stroke of "H".
    const TPoint on = text.Strokes[0].Points[0];
    session.mouseDoubleClick(on, 0);
    ASSERT_EQ(view.editedTexts.size(), 1u);
    EXPECT_EQ(view.editedTexts[0], &text);
    // The modal dialog keeps its own clicks: the next press on the board starts a frame.
    const TPoint outside{Saturate32(b.left - 500), Saturate32(b.top - 500)};
    session.mousePress(outside, MouseButton::Left, 0);
    session.mouseMove({outside.x + 3000, outside.y + 3000}, 0);
    EXPECT_TRUE(view.shown(PreviewKind::SelectionRect));
    session.mouseRelease({outside.x + 3000, outside.y + 3000}, MouseButton::Left, 0);
}

TEST_F(TextTool, FontTextsTakeTextHeightAngleAndANewBox)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = KindFontText;
    e->X = 1000;
    e->Y = -1000;
    e->Size1 = 1500;
    e->Size2 = -1200;
    e->Width = fontTextHeight(4.0, 96);
    e->Text = "OLD";
    e->Layer = LayerB1;
    add(project, std::move(e));
    const TObjekt& t = *elements()[0];

    FontTextSettings shown = settingsOfFontText(t, 96);
    EXPECT_EQ(shown.text, "OLD");
    EXPECT_DOUBLE_EQ(shown.heightMm, 4.0);
    EXPECT_EQ(shown.angle, 0);

    FontTextSettings s;
    s.text = "A TEXT LONGER THAN FIFTEEN";
    s.heightMm = 2.0;
    s.angle = 90;
    ASSERT_TRUE(editFontText(project, 0, s, 96, 600, 150).changed);
    EXPECT_EQ(t.Text, "A TEXT LONGER T");
    EXPECT_EQ(t.Width, -RoundHalfEven(96 * 200 / 72.0));
    EXPECT_EQ(t.Angle, 90);
    // Reading upwards: the box is 150 wide and 600 high, to the right of and above the point.
    EXPECT_EQ(t.X, 1000);
    EXPECT_EQ(t.Size1, 1150);
    EXPECT_EQ(t.Size2, -400);
    s.angle = 270;
    ASSERT_TRUE(editFontText(project, 0, s, 96, 600, 150).changed);
    EXPECT_EQ(t.Size1, 850);
    EXPECT_EQ(t.Size2, -1600);
    EXPECT_EQ(undoSteps(project), 2u);

    s.text = "   ";
    EXPECT_FALSE(editFontText(project, 0, s, 96, 600, 150).changed);
    EXPECT_EQ(undoSteps(project), 2u);

    // Measured by the caller's fonts: 400 pixels a character and 1000 high at the reference
    // height, scaled to 267 pixels (2 mm at 96 dpi).
    struct Fixed final : FontTextMeasure {
        mutable std::string seen;
        mutable int height = 0;
        std::pair<double, double> measure(const std::string& text, int pixelHeight) const override
        {
            seen = text;
            height = pixelHeight;
            return {400.0 * static_cast<double>(text.size()), 1.0 * pixelHeight};
        }
    } fixed;
    s.text = "A TEXT LONGER THAN FIFTEEN";
    s.angle = 0;
    ASSERT_TRUE(editFontText(project, 0, s, 96, fixed).changed);
    EXPECT_EQ(fixed.seen, "A TEXT LONGER T");
    EXPECT_EQ(fixed.height, 1000);
    EXPECT_EQ(t.Size1, 1000 + 1602);
    EXPECT_EQ(t.Size2, -1000 - 267);
}

TEST_F(TextTool, GlyphStringOfTheSelectedTracks)
{
    addTrack(project, {{1000, -1000}, {1000, -1800}, {1400, -1800}}, LayerK1, true);
    addTrack(project, {{9000, -9000}, {9100, -9000}}, LayerK1, false); // not selected
    addTrack(project, {{995, -1400}, {950, -1400}}, LayerK1, true);
    // Origin at the glyph's baseline-left corner; offsets are divided by ten towards zero, so
    // -5 units is "+00" and -50 units "-05".
    EXPECT_EQ(glyphStringOfTracks(board(), {1000, -1800}),
              "XXXXXX+00+80+00+00+40+00XXXXXX+00+40-05+40ZZZZZZ");
    board().Elements[0]->Selected = 0;
    board().Elements[2]->Selected = 0;
    EXPECT_EQ(glyphStringOfTracks(board(), {0, 0}), "ZZZZZZ");
}

} // namespace
