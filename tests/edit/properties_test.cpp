// The tool-bar fields as parameters and as the property editor of the selection, the favourite
// lists and the value logic of the numeric field.

#include "edit/properties.h"

#include "edittestboard.h"

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

// ---------------------------------------------------------------------------------------------
// The numeric field

TEST(LaySpinValue, ReadsPointOrCommaAndLimitsSilently)
{
    LaySpinValue v(0.01, 9.99, 0.01, 2);
    v.setText("1,25");
    EXPECT_DOUBLE_EQ(v.value(), 1.25);
    EXPECT_EQ(v.text(), "1,25"); // reading does not rewrite the text
    v.normalise();
    EXPECT_EQ(v.text(), "1.25");
    v.setText("abc");
    EXPECT_DOUBLE_EQ(v.value(), 0.01); // not a number: 0, limited to the minimum
    v.setText(" 12 ");
    EXPECT_DOUBLE_EQ(v.value(), 9.99);
    v.setText("1e400");
    EXPECT_DOUBLE_EQ(v.value(), 0.01);
    v.setValue(0.1 + 0.2);
    EXPECT_EQ(v.text(), "0.30");
}

TEST(LaySpinValue, WheelStepsAndDragsWithinTheLimits)
{
    LaySpinValue v(0.01, 9.99, 0.01, 2);
    v.setValue(9.99);
    v.stepUp();
    EXPECT_EQ(v.text(), "9.99");
    v.stepDown();
    EXPECT_EQ(v.text(), "9.98");

    LaySpinValue w(0.0, 99.9, 0.1, 1);
    w.setValue(1.0);
    w.wheelPress(100);
    EXPECT_FALSE(w.wheelDrag(95)); // less than 8 pixels
    EXPECT_TRUE(w.wheelDrag(83));  // 17 pixels up: two steps, towards zero
    EXPECT_EQ(w.text(), "1.2");
    EXPECT_TRUE(w.wheelDrag(91)); // from the new reference: 8 down
    EXPECT_EQ(w.text(), "1.1");
}

// ---------------------------------------------------------------------------------------------
// Favourite lists

TEST(FavouriteLists, CaptionsReadBackAsTheFieldsWroteThem)
{
    EXPECT_EQ(parseSizeCaption(formatSizeCaption("1.8", "0.6")), (SizePair{180, 60}));
    EXPECT_EQ(parseSizeCaption(formatSizeCaption("12.5", "10.0")), (SizePair{1250, 1000}));
    EXPECT_EQ(parseSizeCaption("0.90 x 1.80 mm"), (SizePair{90, 180}));
    EXPECT_EQ(parseSizeCaption("&1.8 x 0.6 mm"), (SizePair{180, 60})); // menu accelerator
    EXPECT_FALSE(parseSizeCaption("").has_value());
    EXPECT_FALSE(parseSizeCaption("1.8 mm").has_value());
    EXPECT_FALSE(parseSizeCaption("abc x def").has_value());
    EXPECT_EQ(formatTrackWidthCaption("0.8"), "0.8 mm");
}

TEST(FavouriteLists, EntriesStayOrderedAndMenusCheckTheCurrentValue)
{
    FavouriteList pads(FavouriteKind::PadSize);
    EXPECT_TRUE(pads.add("1.8", "0.6"));
    EXPECT_TRUE(pads.add("1.4", "0.8"));
    EXPECT_TRUE(pads.add("1.8", "0.4"));
    EXPECT_FALSE(pads.add("1.8", "0.6")); // already listed
    ASSERT_EQ(pads.entries().size(), 3u);
    EXPECT_EQ(pads.entries()[0].caption, "1.4 x 0.8 mm");
    EXPECT_EQ(pads.entries()[1].caption, "1.8 x 0.4 mm");
    EXPECT_EQ(pads.entries()[2].caption, "1.8 x 0.6 mm");

    // Pad entries compare by radius: diameters halved towards zero.
    auto menu = pads.menu({90, 30}, 1);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_TRUE(menu[2].checked);
    EXPECT_FALSE(menu[0].checked || menu[1].checked);
    EXPECT_TRUE(menu[3].separator);
    EXPECT_EQ(menu[3].tag, -1);
    EXPECT_EQ(menu[4].caption, "Add");
    EXPECT_FALSE(menu[4].enabled);
    EXPECT_TRUE(menu[5].enabled);
    EXPECT_TRUE(pads.remove({90, 30}));
    EXPECT_EQ(pads.entries().size(), 2u);
    EXPECT_FALSE(pads.remove({90, 30}));
    menu = pads.menu({90, 30}, 0);
    EXPECT_EQ(menu[2].caption, "-");
    EXPECT_EQ(menu[3].caption, "Hinzufügen");
    EXPECT_TRUE(menu[3].enabled);
    EXPECT_FALSE(menu[4].enabled);

    FavouriteList widths(FavouriteKind::TrackWidth);
    widths.setEntries({{100, "1.0 mm"}, {40, "0.4 mm"}}); // as read, kept in file order
    EXPECT_TRUE(widths.add("0.8", "", 80));
    // Inserted before the first larger entry, even when the file's order was not ascending.
    ASSERT_EQ(widths.entries().size(), 3u);
    EXPECT_EQ(widths.entries()[0].tag, 80);
    EXPECT_EQ(widths.entries()[2].tag, 40);
}

TEST(FavouriteLists, UnreadableEntriesFromTheSettingsFileAreLeftOut)
{
    FavouriteList smd(FavouriteKind::SmdSize);
    smd.setEntries({{0, "0.90 x 1.80 mm"}, {0, "garbage"}, {0, "1.00 x 2.00 mm"}});
    ASSERT_EQ(smd.entries().size(), 2u);
    EXPECT_EQ(smd.find({100, 200}), 1);
    EXPECT_EQ(smd.find({100, 201}), -1);
}

// ---------------------------------------------------------------------------------------------
// Fields and selection

struct PropertiesFixture : ::testing::Test {
    TProject project = oneBoardProject();
    ToolProperties props;
    ElementList& elements() { return boardOf(project).Elements; }
};

TEST_F(PropertiesFixture, DrillAboveOuterDiameterRaisesTheOuterDiameter)
{
    props.enterField(ParamField::Innen);
    props.editField(ParamField::Innen, "2.0", project);
    EXPECT_EQ(props.current().drillRadius, 100);
    EXPECT_EQ(props.current().padRadius, 100);
    EXPECT_EQ(props.field(ParamField::Aussen).text(), "2.0");
    props.leaveField(ParamField::Innen, project);
    // Both became defaults while the drill field had the focus.
    EXPECT_EQ(props.defaults().padRadius, 100);

    props.enterField(ParamField::Aussen);
    props.editField(ParamField::Aussen, "1.0", project);
    EXPECT_EQ(props.current().padRadius, 50);
    EXPECT_EQ(props.current().drillRadius, 50);
    EXPECT_EQ(props.field(ParamField::Innen).text(), "1.0");
    EXPECT_EQ(undoSteps(project), 0u); // nothing selected, nothing recorded
}

TEST_F(PropertiesFixture, DrillEditOnASelectedPadIsOneStepAndKeepsItsCopper)
{
    TObjekt& pad = addPad(project, {1000, -1000}, LayerK1, true); // radius 80, drill 40
    props.showSelection(elements(), false);
    EXPECT_EQ(props.field(ParamField::Aussen).text(), "1.6");
    EXPECT_TRUE(props.highlighted(ParamField::Aussen));
    EXPECT_FALSE(props.highlighted(ParamField::Breite));
    props.enterField(ParamField::Innen);
    props.editField(ParamField::Innen, "2", project);
    props.editField(ParamField::Innen, "2.2", project);
    props.leaveField(ParamField::Innen, project);
    EXPECT_EQ(pad.Size2, 110);
    EXPECT_EQ(pad.Size1, 110);
    EXPECT_EQ(undoSteps(project), 1u);
    ASSERT_TRUE(Undo(project));
    EXPECT_EQ(elements()[0]->Size1, 80);
    EXPECT_EQ(elements()[0]->Size2, 40);
}

TEST_F(PropertiesFixture, WidthOfTwoDifferentTracksIsLeftThenSetWithOneStep)
{
    TObjekt& a = addTrack(project, {{0, 0}, {1000, 0}}, LayerK1, true);
    TObjekt& b = addTrack(project, {{0, -500}, {1000, -500}}, LayerK1, true);
    b.Width = 60;
    props.showSelection(elements(), false);
    EXPECT_EQ(props.field(ParamField::Breite).text(), "0.8"); // mixed: the field stays
    props.enterField(ParamField::Breite);
    props.editField(ParamField::Breite, "1", project);
    props.editField(ParamField::Breite, "1.2", project);
    props.leaveField(ParamField::Breite, project);
    EXPECT_EQ(a.Width, 120);
    EXPECT_EQ(b.Width, 120);
    EXPECT_EQ(undoSteps(project), 1u);
}

TEST_F(PropertiesFixture, CircleWidthKeepsTheMeanRadius)
{
    TObjekt& c = add(project, NewCircle({0, 0}, 1050, 0, LayerK1, 950), true);
    props.showSelection(elements(), false);
    EXPECT_EQ(props.field(ParamField::Breite).text(), "1.0");
    props.enterField(ParamField::Breite);
    props.editField(ParamField::Breite, "0.5", project);
    props.leaveField(ParamField::Breite, project);
    EXPECT_EQ(c.Size1, 1025);
    EXPECT_EQ(c.Size2, 975);
    EXPECT_EQ(MidRadius(c), 1000);
    props.enterField(ParamField::Breite);
    props.editField(ParamField::Breite, "0.3", project); // odd width: still exact
    props.leaveField(ParamField::Breite, project);
    EXPECT_EQ(c.Size1 - c.Size2, 30);
    EXPECT_EQ(undoSteps(project), 2u);
}

TEST_F(PropertiesFixture, CtrlTakesTheSelectionsValuesAsDefaults)
{
    TObjekt& smd = add(project, NewSmdPad({0, 0}, 150, LayerK1, 250), true);
    props.showSelection(elements(), true);
    smd.Selected = 0;
    props.showSelection(elements(), false);
    EXPECT_EQ(props.current().smdWidth, 150);
    EXPECT_EQ(props.current().smdHeight, 250);
    EXPECT_EQ(props.field(ParamField::SmdX).text(), "1.50");

    // Without CTRL the values are shown but the defaults come back afterwards.
    TObjekt& pad = addPad(project, {0, 0}, LayerK1, true);
    pad.Size1 = 47; // shown as 0.9, used as 47
    props.showSelection(elements(), false);
    EXPECT_EQ(props.current().padRadius, 47);
    EXPECT_EQ(pad.Size1, 47); // showing never writes into the element
    pad.Selected = 0;
    props.showSelection(elements(), false);
    EXPECT_EQ(props.current().padRadius, 90);
}

TEST_F(PropertiesFixture, ClearanceEditIsOneUndoStepForTheSelection)
{
    TObjekt& a = addPad(project, {0, 0}, LayerK1, true);
    TObjekt& b = addTrack(project, {{0, 0}, {1000, 0}}, LayerK1, true);
    TObjekt& c = addPad(project, {3000, 0}, LayerK1, false);
    props.enterField(ParamField::Freistanz);
    props.editField(ParamField::Freistanz, "0", project);
    props.editField(ParamField::Freistanz, "0.6", project);
    props.leaveField(ParamField::Freistanz, project);
    EXPECT_EQ(a.Clearance, 60);
    EXPECT_EQ(b.Clearance, 60);
    EXPECT_EQ(c.Clearance, 0);
    EXPECT_EQ(props.current().clearance, 60);
    EXPECT_EQ(undoSteps(project), 1u);
    props.setFieldValue(ParamField::Freistanz, 9.0, project); // limited to 5.0 mm
    EXPECT_EQ(props.current().clearance, 500);
    EXPECT_EQ(undoSteps(project), 1u); // not a visit: applied without another step

    // Different clearances leave the edit as it is; a shared one is shown.
    a.Clearance = 10;
    props.showSelection(elements(), false);
    EXPECT_EQ(props.current().clearance, 500);
    b.Clearance = 10;
    props.showSelection(elements(), false);
    EXPECT_EQ(props.current().clearance, 10);
}

TEST_F(PropertiesFixture, ThroughPlatingOffKeepsThePadOfTheActiveSideWithAllConnections)
{
    TObjekt& top = addPad(project, {1000, -1000}, LayerK1, true);
    TObjekt& bottom = addPad(project, {1000, -1000}, LayerK2, true);
    twin(top, bottom);
    TObjekt& p1 = addPad(project, {3000, -1000}, LayerK1);
    TObjekt& p2 = addPad(project, {5000, -1000}, LayerK2);
    connect(top, p1);
    connect(bottom, p2);
    boardOf(project).ActiveLayer = LayerK2;
    props.showSelection(elements(), false);
    EXPECT_TRUE(props.current().throughPlating);
    props.setThroughPlating(false, project);
    ASSERT_EQ(elements().size(), 3u);
    EXPECT_EQ(&bottom, elements()[0].get());
    EXPECT_EQ(bottom.Twin, nullptr);
    ASSERT_EQ(bottom.Connections.size(), 2u);
    EXPECT_EQ(p1.Connections, std::vector<TObjekt*>{&bottom});
    EXPECT_EQ(p2.Connections, std::vector<TObjekt*>{&bottom});
    EXPECT_EQ(undoSteps(project), 1u);

    props.setThroughPlating(true, project); // and on again: a new twin on the other side
    ASSERT_EQ(elements().size(), 4u);
    ASSERT_NE(bottom.Twin, nullptr);
    EXPECT_EQ(bottom.Twin->Layer, LayerK1);
    EXPECT_EQ(bottom.Twin->Twin, &bottom);
    EXPECT_TRUE(bottom.Twin->Connections.empty());
    EXPECT_EQ(undoSteps(project), 2u);
}

TEST_F(PropertiesFixture, ShapeMenuChangesSelectedPadsOnce)
{
    TObjekt& pad = addPad(project, {0, 0}, LayerK1, true);
    props.setPadShape(ShapeOctagon, project);
    EXPECT_EQ(pad.Shape, ShapeOctagon);
    EXPECT_EQ(undoSteps(project), 1u);
    props.setPadShape(ShapeOctagon, project); // already so: no step
    EXPECT_EQ(undoSteps(project), 1u);
    props.setPadShape(42, project);
    EXPECT_EQ(props.current().padShape, ShapeOctagon);
}

TEST_F(PropertiesFixture, ChoosingAFavouriteAppliesItAndMakesItTheDefault)
{
    TObjekt& pad = addPad(project, {0, 0}, LayerK1, true);
    FavouriteList pads(FavouriteKind::PadSize);
    pads.setEntries({{0, "1.2 x 0.8 mm"}, {0, "3.0 x 1.0 mm"}});
    props.chooseFavourite(pads, 0, project);
    EXPECT_EQ(pad.Size1, 60);
    EXPECT_EQ(pad.Size2, 40);
    EXPECT_EQ(props.defaults().padRadius, 60);
    EXPECT_EQ(props.defaults().drillRadius, 40);
    EXPECT_EQ(undoSteps(project), 1u);
    props.chooseFavourite(pads, 1, project);
    EXPECT_EQ(pad.Size1, 150);
    EXPECT_EQ(pad.Size2, 50);
    EXPECT_EQ(undoSteps(project), 2u);
    EXPECT_EQ(pads.find(props.favouriteValue(FavouriteKind::PadSize)), 1);

    FavouriteList widths(FavouriteKind::TrackWidth);
    EXPECT_TRUE(props.addFavourite(widths));
    EXPECT_EQ(widths.entries().at(0).caption, "0.8 mm");
    EXPECT_EQ(widths.entries().at(0).tag, 80);
}

} // namespace
