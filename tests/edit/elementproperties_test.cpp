// The properties dialog's fields: read from the selection, written back as one undo step, and
// refused whole when a value is out of range or would make an invalid element.

#include "edit/elementproperties.h"

#include "edittestboard.h"

#include <gtest/gtest.h>

#include <functional>

using namespace trevok;
using namespace trevok::testing;

namespace
{

using F = PropertyField;
constexpr TPoint kOrigin{1000, -500};

struct Case {
    const char* name;
    std::function<TObjekt&(TProject&)> make;
    F field;
    std::string good;                                     // typed into the field (corners: "x y;x y;...")
    std::function<void(const TObjekt&, TProject&)> check; // after OK with the good value
    std::string bad;                                      // refused with the field named
    F blamed;
};

TObjekt& pad(TProject& p)
{
    return add(p, NewPad({2000, -2000}, 80, ShapeRound, LayerK1, 30), true);
}

TObjekt& circle(TProject& p)
{
    return add(p, NewCircle({3000, -3000}, 200, 0, LayerB1, 150), true);
}

TObjekt& area(TProject& p)
{
    auto a = NewArea(20, LayerB1);
    for (TPoint c : {TPoint{0, 0}, TPoint{1000, 0}, TPoint{1000, -1000}, TPoint{0, 0}})
        AddPoint(*a, c);
    return add(p, std::move(a), true);
}

TObjekt& track(TProject& p)
{
    return addTrack(p, {{1000, -500}, {2000, -500}}, LayerK1, true);
}

TObjekt& line(TProject& p)
{
    auto l = NewTrack(30, LayerK1);
    l->Kind = KindLine;
    l->X = 1000;
    l->Y = -1000;
    l->Size1 = 3000;
    l->Size2 = -1000;
    return add(p, std::move(l), true);
}

void setCorners(PropertySheet& s, const std::string& text)
{
    s.corners.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = std::min(text.find(';', start), text.size());
        const std::string item = text.substr(start, end - start);
        const auto blank = item.find(' ');
        s.corners.emplace_back(item.substr(0, blank), item.substr(blank + 1));
        start = end + 1;
    }
}

PropertySheet typed(const PropertySheet& shown, F field, const std::string& text)
{
    PropertySheet s = shown;
    if (field == F::Corners)
        setCorners(s, text);
    else
        s.set(field, text);
    return s;
}

TEST(ElementProperties, EachFieldOfEachKindIsWrittenOrRefusedWhole)
{
    const std::vector<Case> cases{
        {"pad diameter", pad, F::PadDiameter, "2.40",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Size1, 120); }, "0.05", F::PadDiameter},
        {"pad drill", pad, F::Drill, "1,00", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Size2, 50); },
         "2.00", F::Drill},
        {"pad shape", pad, F::Shape, "6", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Shape, 6); }, "10",
         F::Shape},
        {"pad x from the origin", pad, F::X, "12.70",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.X, 2270); }, "abc", F::X},
        {"pad y downward", pad, F::Y, "5", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Y, -1000); }, "1e9",
         F::Y},
        {"through-plating", pad, F::ThroughPlated, "1",
         [](const TObjekt& e, TProject& p) {
             ASSERT_NE(e.Twin, nullptr);
             EXPECT_EQ(e.Twin->Layer, LayerK2);
             EXPECT_EQ(boardOf(p).Elements.size(), 2u);
         },
         "2", F::ThroughPlated},
        {"clearance", pad, F::Clearance, "0.5",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Clearance, 50); }, "6", F::Clearance},
        {"smd width",
         [](TProject& p) -> TObjekt& {
             return add(p, NewSmdPad({0, 0}, 90, LayerK1, 180), true);
         },
         F::SmdWidth, "1.5", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Size1, 150); }, "10.5",
         F::SmdWidth},
        {"track width", track, F::Width, "0.50", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Width, 50); },
         "-1", F::Width},
        {"track layer", track, F::Layer, "3",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Layer, LayerK2); }, "5", F::Layer},
        {"track corners", track, F::Corners, "0 0;10 0;10 5",
         [](const TObjekt& e, TProject&) {
             EXPECT_EQ(e.Points, (std::vector<TPoint>{{1000, -500}, {2000, -500}, {2000, -1000}}));
         },
         "0 0", F::Corners},
        {"line corners", line, F::Corners, "20 0;0 0",
         [](const TObjekt& e, TProject&) {
             EXPECT_EQ((std::vector<int>{e.X, e.Y, e.Size1, e.Size2}),
                       (std::vector<int>{1000, -500, 3000, -500}));
         },
         "0 0;1 1;2 2", F::Corners},
        {"circle outer radius", circle, F::OuterRadius, "3",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Size1, 300); }, "1.5", F::OuterRadius},
        {"circle inner radius", circle, F::InnerRadius, "0",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Size2, 0); }, "2.5", F::InnerRadius},
        {"circle start angle", circle, F::StartAngle, "90",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Angle, 90); }, "360", F::StartAngle},
        {"circle filled", circle, F::Filled, "1", [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Filled, 1); },
         "x", F::Filled},
        {"area restricted goes to copper", area, F::Restricted, "1",
         [](const TObjekt& e, TProject&) {
             EXPECT_EQ(e.Restricted, 1);
             EXPECT_EQ(e.Layer, LayerK1);
         },
         "2", F::Restricted},
        {"area corners", area, F::Corners, "0 0;5 0;5 5;0 5;0 0",
         [](const TObjekt& e, TProject&) { EXPECT_EQ(e.Points.size(), 5u); }, "0 0;5 0", F::Corners},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            TProject p = oneBoardProject();
            TObjekt& e = c.make(p);
            const std::string before = dump(p);
            const PropertySheet shown = readProperties(boardOf(p), kOrigin);
            ASSERT_TRUE(shown.has(c.field));
            const PropertyOutcome r = applyProperties(p, shown, typed(shown, c.field, c.good), kOrigin);
            ASSERT_TRUE(r.ok);
            EXPECT_TRUE(r.result.changed);
            c.check(e, p);
            EXPECT_EQ(undoSteps(p), 1u);
            ASSERT_TRUE(Undo(p));
            EXPECT_EQ(dump(p), before);
        }
        {
            TProject p = oneBoardProject();
            c.make(p);
            const std::string before = dump(p);
            const PropertySheet shown = readProperties(boardOf(p), kOrigin);
            const PropertyOutcome r = applyProperties(p, shown, typed(shown, c.field, c.bad), kOrigin);
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.badField, c.blamed);
            EXPECT_EQ(dump(p), before);
            EXPECT_EQ(undoSteps(p), 0u);
        }
    }
}

TEST(ElementProperties, SeveralElementsShowWhatTheyShareAndKeepWhatWasNotTyped)
{
    TProject p = oneBoardProject();
    TObjekt& a = addTrack(p, {{0, 0}, {1000, 0}}, LayerK1, true);
    TObjekt& b = addTrack(p, {{0, -500}, {1000, -500}}, LayerK1, true);
    b.Width = 80;
    TObjekt& text = add(p, NewLayoutText({0, 0}, "A", false, false, LayerB1, 0, 1, 1, 100), true);

    PropertySheet shown = readProperties(boardOf(p), {0, 0});
    EXPECT_EQ(shown.elementCount, 2u); // the text keeps its own dialog
    EXPECT_TRUE(shown.has(F::Width));
    EXPECT_EQ(shown.get(F::Width), ""); // 0.40 and 0.80: blank
    EXPECT_EQ(shown.get(F::Layer), "1");
    EXPECT_FALSE(shown.has(F::Corners)); // one element's table only

    // Only the layer typed: both widths stay; one step.
    ASSERT_TRUE(applyProperties(p, shown, typed(shown, F::Layer, "3"), {0, 0}).ok);
    EXPECT_EQ(std::vector<int>({a.Layer, b.Layer, a.Width, b.Width}), std::vector<int>({3, 3, 40, 80}));
    EXPECT_EQ(text.Layer, LayerB1);
    EXPECT_EQ(undoSteps(p), 1u);

    // A pad joins: only the fields every kind has are left.
    addPad(p, {0, 0}, LayerK1, true);
    shown = readProperties(boardOf(p), {0, 0});
    EXPECT_FALSE(shown.has(F::Width));
    EXPECT_TRUE(shown.has(F::Clearance));
    ASSERT_TRUE(applyProperties(p, shown, typed(shown, F::Clearance, "1"), {0, 0}).ok);
    EXPECT_EQ(std::vector<int>({a.Clearance, b.Clearance}), std::vector<int>({100, 100}));
    // Nothing typed: nothing to do and no step.
    ASSERT_TRUE(applyProperties(p, shown, shown, {0, 0}).ok);
    EXPECT_EQ(undoSteps(p), 2u);
}

} // namespace
