#include "edit/layouttext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>

using namespace trevok;

namespace
{

constexpr double Grid = 254.0;

LayoutTextSettings settingsFor(const std::string& text)
{
    LayoutTextSettings s;
    s.text = text;
    return s;
}

std::unique_ptr<TObjekt> build(const LayoutTextSettings& s, TPoint at = {1000, -2000}, std::uint8_t layer = 2,
                               std::int32_t clearance = 40)
{
    int counter = 0;
    return makeLayoutText(at, s, layer, clearance, Grid, counter);
}

/// Extent of the node coordinates of strokes [first, last), without widths or clearances.
TRect nodeExtent(const TObjekt& text, std::size_t first, std::size_t last)
{
    TRect r{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (std::size_t i = first; i < last; ++i)
        for (const TPoint& p : text.Strokes[i].Points) {
            r.left = std::min<std::int64_t>(r.left, p.x);
            r.right = std::max<std::int64_t>(r.right, p.x);
            r.top = std::min<std::int64_t>(r.top, p.y);
            r.bottom = std::max<std::int64_t>(r.bottom, p.y);
        }
    return r;
}

std::unique_ptr<TObjekt> fontText(const std::string& text, TPoint at, std::int32_t angle,
                                  std::int32_t height = -667)
{
    auto t = std::make_unique<TObjekt>();
    t->Kind = KindFontText;
    t->X = at.x;
    t->Y = at.y;
    t->Size1 = at.x; // the text box is not used by the conversion
    t->Size2 = at.y;
    t->Width = height;
    t->Angle = angle;
    t->Layer = 4;
    t->Clearance = 30;
    t->Groups = {3, 7};
    t->Text = text;
    return t;
}

} // namespace

TEST(LayoutText, WorkedExampleFiveMillimetres)
{
    const auto t = build(settingsFor("AV"));
    ASSERT_EQ(t->Kind, KindLayoutText);
    ASSERT_EQ(t->Strokes.size(), 3u); // A: legs and bar, V: one polyline
    EXPECT_EQ(t->Size1, 500);
    EXPECT_EQ(t->Size2, ThicknessNormal);
    EXPECT_EQ(t->Width, StyleNormal);
    EXPECT_EQ(t->Text, "AV");
    for (const TObjekt& s : t->Strokes) {
        EXPECT_EQ(s.Kind, KindTrack);
        EXPECT_EQ(s.Width, 56);
        EXPECT_EQ(s.Layer, 2);
        EXPECT_EQ(s.Clearance, 40);
    }
    // A starts at its foot (0, 0); V at its top (0, 80): 333 + 122 to the right, 444 up.
    const TPoint a = t->Strokes[0].Points.front();
    const TPoint v = t->Strokes[2].Points.front();
    EXPECT_EQ(v.x - a.x, 455);
    EXPECT_EQ(v.y - a.y, 444);
    EXPECT_EQ(t->Strokes[0].Points[2].x - a.x, 333); // right foot of A: round(50 * s * 1.2)
}

TEST(LayoutText, FinalCornerLiesOnTheRequestedPoint)
{
    const TPoint at{-12345, 6789};
    for (int o = 0; o < 4; ++o)
        for (int m = 0; m < 4; ++m) {
            LayoutTextSettings s = settingsFor("Rg1");
            s.orientation = o;
            s.mirrorH = m & 1;
            s.mirrorV = m & 2;
            const auto t = build(s, at);
            const TRect b = Bounds(*t);
            EXPECT_EQ(b.left, at.x) << o << " " << m;
            EXPECT_EQ(b.top, at.y) << o << " " << m;
            EXPECT_EQ(t->Angle, o);
            EXPECT_EQ(t->MirrorH, m & 1 ? 1 : 0);
            EXPECT_EQ(t->MirrorV, m & 2 ? 1 : 0);
        }
}

TEST(LayoutText, StyleStretchesLettersButNotGaps)
{
    auto measure = [](int style) {
        LayoutTextSettings s = settingsFor("HH");
        s.style = style;
        const auto t = build(s);
        // H: left stem, right stem, bar; the first two strokes' x give the letter width.
        const std::int64_t left1 = t->Strokes[0].Points[0].x;
        const std::int64_t right1 = t->Strokes[1].Points[0].x;
        const std::int64_t left2 = t->Strokes[3].Points[0].x;
        return std::pair{right1 - left1, left2 - right1};
    };
    const auto [narrowWidth, narrowGap] = measure(StyleNarrow);
    const auto [normalWidth, normalGap] = measure(StyleNormal);
    const auto [wideWidth, wideGap] = measure(StyleWide);
    EXPECT_EQ(narrowWidth, 178);
    EXPECT_EQ(wideWidth, 2 * narrowWidth);
    EXPECT_LT(narrowWidth, normalWidth);
    EXPECT_EQ(narrowGap, 122);
    EXPECT_EQ(normalGap, narrowGap);
    EXPECT_EQ(wideGap, narrowGap);
}

TEST(LayoutText, ThicknessSetsWidthAndGap)
{
    for (const auto [thickness, width, gap] :
         {std::tuple{0, 31, 89}, std::tuple{1, 56, 122}, std::tuple{2, 79, 156}}) {
        LayoutTextSettings s = settingsFor("II");
        s.thickness = thickness;
        const auto t = build(s);
        EXPECT_EQ(t->Strokes[0].Width, width);
        EXPECT_EQ(t->Strokes[1].Points[0].x - t->Strokes[0].Points[0].x, gap); // I has no advance
    }
}

TEST(LayoutText, NumberingAppendsTheCounter)
{
    LayoutTextSettings s = settingsFor("X");
    s.numbering = true;
    int counter = 9;
    std::vector<std::string> texts;
    for (int i = 0; i < 3; ++i)
        texts.push_back(makeLayoutText({0, 100}, s, 1, 40, Grid, counter)->Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"X9", "X10", "X11"}));
    EXPECT_EQ(counter, 12);
    // "X10": two strokes for X, one each for 1 and 0.
    counter = 10;
    EXPECT_EQ(makeLayoutText({0, 100}, s, 1, 40, Grid, counter)->Strokes.size(), 4u);

    s.numbering = false;
    EXPECT_EQ(makeLayoutText({0, 100}, s, 1, 40, Grid, counter)->Text, "X");
    EXPECT_EQ(counter, 11);
}

TEST(LayoutText, CharactersWithoutGlyphOnlyAdvance)
{
    const auto plain = build(settingsFor("AA"));
    const auto at = build(settingsFor("A@A"));
    ASSERT_EQ(at->Strokes.size(), 4u);
    const auto secondA = [](const TObjekt& t) { return t.Strokes[2].Points[0].x - t.Strokes[0].Points[0].x; };
    EXPECT_EQ(secondA(*at) - secondA(*plain), 122); // the at sign leaves the letter gap only

    const auto blank = build(settingsFor("A A"));
    EXPECT_EQ(secondA(*blank) - secondA(*plain), 7 + 122); // a blank advances by one glyph unit

    for (const char* nothing : {"", "   ", "@$@", "[~]"})
        EXPECT_TRUE(build(settingsFor(nothing))->Strokes.empty()) << nothing;
    LayoutTextSettings s = settingsFor("A");
    s.heightMm = -5; // would draw upside down with negative widths
    EXPECT_TRUE(build(s)->Strokes.empty());
}

TEST(LayoutText, OrientationTurnsClockwise)
{
    auto letters = [](int orientation) {
        LayoutTextSettings s = settingsFor("AB");
        s.orientation = orientation;
        const auto t = build(s);
        // A: strokes 0-1; B: strokes 2-3.
        return std::pair{nodeExtent(*t, 0, 2), nodeExtent(*t, 2, 4)};
    };
    {
        // 90 degrees reads from top to bottom, the tops of the letters to the right.
        const auto [a, b] = letters(1);
        EXPECT_GT(a.top, b.bottom);
        EXPECT_EQ(a.right, b.right); // A's apex and B's back lie on the cap line
        LayoutTextSettings s = settingsFor("A");
        s.orientation = 1;
        const auto t = build(s);
        const TPoint apex = t->Strokes[0].Points[1];
        EXPECT_GT(apex.x, t->Strokes[0].Points[0].x);
    }
    {
        const auto [a, b] = letters(2); // upside down, right to left
        EXPECT_GT(a.left, b.right);
    }
    {
        const auto [a, b] = letters(3); // bottom to top
        EXPECT_LT(a.bottom, b.top);
        EXPECT_EQ(a.left, b.left);
    }
}

TEST(LayoutText, MirrorsAboutTheText)
{
    LayoutTextSettings s = settingsFor("AB");
    s.mirrorH = true;
    const auto h = build(s);
    EXPECT_GT(nodeExtent(*h, 0, 2).left, nodeExtent(*h, 2, 4).right); // reads right to left

    s.mirrorH = false;
    s.mirrorV = true;
    const auto v = build(s);
    const auto& legs = v->Strokes[0].Points;
    EXPECT_LT(legs[1].y, legs[0].y); // apex of A below its feet
    EXPECT_LT(legs[0].x, legs[1].x); // still left to right
}

TEST(FontTextConversion, KeepsTheReadingCornerOnTheReferencePoint)
{
    const TPoint ref{5000, -3000};
    struct Case {
        int angle;
        bool right, upper;
    };
    for (const Case c :
         {Case{0, false, true}, Case{90, true, true}, Case{180, true, false}, Case{270, false, false}}) {
        const auto old = fontText("Ab", ref, c.angle);
        const auto t = convertFontText(*old, Grid);
        ASSERT_TRUE(t) << c.angle;
        EXPECT_EQ(t->Kind, KindLayoutText);
        EXPECT_EQ(t->Angle, c.angle / 90);
        const TRect b = Bounds(*t);
        EXPECT_EQ(c.right ? b.right : b.left, ref.x) << c.angle;
        EXPECT_EQ(c.upper ? b.bottom : b.top, ref.y) << c.angle;
        EXPECT_EQ(t->Size1, 450); // 667 px at 96 per inch, 90 per cent
        EXPECT_EQ(t->Size2, ThicknessBold);
        EXPECT_EQ(t->Width, StyleNormal);
        EXPECT_EQ(t->Layer, 4);
        EXPECT_EQ(t->Groups, (std::vector<std::int32_t>{3, 7}));
        EXPECT_EQ(t->Text, "Ab");
        EXPECT_EQ(t->MirrorH + t->MirrorV, 0);
        for (const TObjekt& s : t->Strokes) {
            EXPECT_EQ(s.Layer, 4);
            EXPECT_EQ(s.Clearance, 30);
        }
    }
    // The screen resolution scales the height.
    EXPECT_EQ(convertFontText(*fontText("A", ref, 0), Grid, 72.0)->Size1, 600);
}

TEST(FontTextConversion, PositiveFontHeightIsTakenBySize)
{
    const auto negative = convertFontText(*fontText("Ab", {0, 0}, 0, -667), Grid);
    const auto positive = convertFontText(*fontText("Ab", {0, 0}, 0, 667), Grid);
    ASSERT_TRUE(negative && positive);
    EXPECT_EQ(positive->Size1, negative->Size1);
    ASSERT_EQ(positive->Strokes.size(), negative->Strokes.size());
    for (std::size_t i = 0; i < positive->Strokes.size(); ++i) {
        EXPECT_EQ(positive->Strokes[i].Points, negative->Strokes[i].Points);
        EXPECT_GT(positive->Strokes[i].Width, 0);
    }
}

TEST(FontTextConversion, DamagedValuesStayInRange)
{
    // Extreme height and position from a damaged file: saturates, never overflows.
    const auto t = convertFontText(*fontText("WWW", {INT_MAX - 5, INT_MIN + 5}, -450, INT_MIN), Grid);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->Strokes.empty());
    EXPECT_GT(t->Size1, 0);
    EXPECT_EQ(t->Angle, 3); // -450 degrees is a three-quarter turn
    EXPECT_FALSE(convertFontText(*fontText("A", {0, 0}, 0, 0), Grid));
}

TEST(FontTextConversion, ConvertsEveryBoardInPlace)
{
    TProject project;
    for (int b = 0; b < 2; ++b) {
        auto board = std::make_unique<TBoard>();
        board->Elements.push_back(NewTrack(30, 1));
        board->Elements.push_back(fontText("R" + std::to_string(b), {1000, -1000}, 0));
        board->Elements.push_back(fontText("@@", {2000, -1000}, 0)); // yields nothing: dropped
        board->Elements.push_back(NewPad({500, -500}, 80, ShapeRound, 1, 40));
        project.Boards.push_back(std::move(board));
    }
    project.Boards.push_back(std::make_unique<TBoard>());
    project.Current = 0;
    int stored = 0;
    project.StoreLiveState = [&](TBoard&) { ++stored; };

    EXPECT_EQ(countFontTexts(project), 4);
    EXPECT_EQ(countFontTexts(*project.Boards[2]), 0);
    const FontTextConversion r = convertFontTexts(project);
    EXPECT_EQ(r.converted, 4);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(countFontTexts(project), 0);
    EXPECT_FALSE(project.SnapshotsSuspended);
    EXPECT_EQ(stored, 1);
    EXPECT_FALSE(project.Modified); // the caller decides and tells the user
    for (int b = 0; b < 2; ++b) {
        const ElementList& list = project.Boards[b]->Elements;
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list[0]->Kind, KindTrack);
        EXPECT_EQ(list[1]->Kind, KindLayoutText);
        EXPECT_EQ(list[1]->Text, "R" + std::to_string(b));
        EXPECT_EQ(list[2]->Kind, KindPad);
        EXPECT_TRUE(project.Boards[b]->UndoStack.empty());
    }

    const FontTextConversion again = convertFontTexts(project);
    EXPECT_EQ(again.converted, 0);
    EXPECT_FALSE(again.changed);
}
