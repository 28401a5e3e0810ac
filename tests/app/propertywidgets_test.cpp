// The tool-bar and status-line property widgets, the thumb-wheel field and the small edit
// dialogs, driven through their widgets under the offscreen platform.

#include "dialogs/bogendlg.h"
#include "dialogs/realansichtdlg.h"
#include "dialogs/vieleckdlg.h"
#include "document/undo.h"
#include "edit/edittestboard.h"
#include "edit/fakesessionview.h"
#include "edit/session.h"
#include "view/widgets/cursors.h"
#include "view/widgets/layspinedit.h"
#include "view/widgets/measurepanel.h"
#include "view/widgets/propertybar.h"
#include "view/widgets/statusbarwidgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

void focusIn(TLaySpinEdit& f)
{
    QFocusEvent e(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(f.edit(), &e);
}

void focusOut(TLaySpinEdit& f)
{
    QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(f.edit(), &e);
}

/// Typing character by character, as a user does: every prefix is a text change.
void type(TLaySpinEdit& f, const QString& text)
{
    f.edit()->clear();
    for (qsizetype i = 1; i <= text.size(); ++i)
        f.edit()->setText(text.left(i));
}

struct SessionFixture {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 0};
};

} // namespace

// ---------------------------------------------------------------------------------------------
// TLaySpinEdit

TEST(LaySpinEditTest, ReadsPointOrCommaAndLimitsWithoutChangingTheText)
{
    TLaySpinEdit f;
    f.setRange(0.01, 9.99, 0.01, 2);
    f.SetText(QStringLiteral("1,25"));
    EXPECT_DOUBLE_EQ(f.GetValue(), 1.25);
    EXPECT_EQ(f.GetText(), QStringLiteral("1,25"));
    f.SetText(QStringLiteral("12.5"));
    EXPECT_DOUBLE_EQ(f.GetValue(), 9.99);
    f.SetText(QStringLiteral("abc"));
    EXPECT_DOUBLE_EQ(f.GetValue(), 0.01); // not a number reads as 0, limited to the minimum
    f.SetValue(0.125);
    EXPECT_EQ(f.GetText(), QStringLiteral("0.12")); // fixed decimals, point, half to even
}

TEST(LaySpinEditTest, LeavingNormalisesBeforeReportingTheExit)
{
    TLaySpinEdit f;
    f.setRange(0.0, 99.9, 0.1, 1);
    QString textAtExit;
    int enters = 0;
    QObject::connect(&f, &TLaySpinEdit::OnEditEnter, [&] { ++enters; });
    QObject::connect(&f, &TLaySpinEdit::OnEditExit, [&] { textAtExit = f.GetText(); });
    focusIn(f);
    f.edit()->setText(QStringLiteral("2,"));
    focusOut(f);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(textAtExit, QStringLiteral("2.0"));
}

TEST(LaySpinEditTest, WheelStepsAndDragsStayWithinTheLimits)
{
    TLaySpinEdit f;
    f.setRange(0.01, 9.99, 0.01, 2);
    f.SetValue(9.99);
    f.wheelStep(true);
    EXPECT_EQ(f.GetText(), QStringLiteral("9.99"));
    f.SetValue(1.0);
    f.wheelStep(false);
    EXPECT_EQ(f.GetText(), QStringLiteral("0.99"));
    // 8 pixels upwards per step, counted from the last point a step was taken.
    f.wheelPress(100);
    f.wheelDrag(93);
    EXPECT_EQ(f.GetText(), QStringLiteral("0.99"));
    f.wheelDrag(83); // 17 pixels up: two steps
    EXPECT_EQ(f.GetText(), QStringLiteral("1.01"));
    f.wheelDrag(91); // 8 down from the new reference
    EXPECT_EQ(f.GetText(), QStringLiteral("1.00"));
}

TEST(LaySpinEditTest, HighlightColours)
{
    TLaySpinEdit f;
    EXPECT_EQ(f.edit()->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(f.edit()->palette().color(QPalette::Text), QColor(255, 255, 0));
    f.setHighlighted(true);
    EXPECT_EQ(f.edit()->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(f.edit()->palette().color(QPalette::Text), QColor(255, 255, 255));
}

// ---------------------------------------------------------------------------------------------
// Property bar

TEST(PropertyBarTest, TypingAWidthChangesTheSelectedTracksAsOneUndoStep)
{
    SessionFixture s;
    TObjekt& a = addTrack(s.project, {{0, 0}, {1000, 0}}, LayerK1, true);
    TObjekt& b = addTrack(s.project, {{0, -500}, {1000, -500}}, LayerK1, true);
    b.Width = 60;
    PropertyBar bar;
    bar.setSession(&s.session);
    int repaints = 0;
    QObject::connect(&bar, &PropertyBar::boardChanged, [&](const TRect&) { ++repaints; });
    s.session.selectionChanged();
    bar.selectionChanged();
    TLaySpinEdit& width = *bar.field(ParamField::Breite);
    EXPECT_EQ(width.GetText(), QStringLiteral("0.8")); // differing widths leave the field
    EXPECT_TRUE(width.highlighted());
    EXPECT_FALSE(bar.field(ParamField::Aussen)->highlighted());

    focusIn(width);
    type(width, QStringLiteral("1,5")); // "1", "1,", "1,5": three changes, one undo step
    focusOut(width);
    EXPECT_EQ(a.Width, 150);
    EXPECT_EQ(b.Width, 150);
    EXPECT_EQ(width.GetText(), QStringLiteral("1.5"));
    EXPECT_EQ(undoSteps(s.project), 1u);
    EXPECT_GT(repaints, 0);
    EXPECT_TRUE(s.project.Modified);

    ASSERT_TRUE(Undo(s.project));
    EXPECT_EQ(s.project.currentBoard()->Elements[0]->Width, 40);
    EXPECT_EQ(s.project.currentBoard()->Elements[1]->Width, 60);
}

TEST(PropertyBarTest, DrillAboveTheOuterDiameterRaisesTheOuterField)
{
    SessionFixture s;
    PropertyBar bar;
    bar.setSession(&s.session);
    TLaySpinEdit& drill = *bar.field(ParamField::Innen);
    focusIn(drill);
    type(drill, QStringLiteral("2.0"));
    focusOut(drill);
    EXPECT_EQ(bar.field(ParamField::Aussen)->GetText(), QStringLiteral("2.0"));
    EXPECT_EQ(s.session.params().padRadius, 100);
    EXPECT_EQ(s.session.params().drillRadius, 100);
}

TEST(PropertyBarTest, WheelClickOnAFieldWithoutFocusIsOneUndoableEdit)
{
    SessionFixture s;
    TObjekt& pad = add(s.project, NewSmdPad({0, 0}, 90, LayerK1, 180), true);
    PropertyBar bar;
    bar.setSession(&s.session);
    s.session.selectionChanged();
    bar.selectionChanged();
    TLaySpinEdit& x = *bar.field(ParamField::SmdX);
    emit x.wheelPressed();
    x.wheelStep(true);
    emit x.wheelReleased();
    EXPECT_EQ(pad.Size1, 91);
    EXPECT_EQ(undoSteps(s.project), 1u);
    ASSERT_TRUE(Undo(s.project));
    EXPECT_EQ(s.project.currentBoard()->Elements[0]->Size1, 90);
}

TEST(PropertyBarTest, ShapeMenuAndThroughPlatingApplyToSelectedPads)
{
    SessionFixture s;
    TObjekt& pad = addPad(s.project, {0, 0}, LayerK1, true);
    PropertyBar bar;
    bar.setSession(&s.session);
    int icons = 0;
    QObject::connect(&bar, &PropertyBar::padIconChanged, [&](const QIcon& i) {
        EXPECT_FALSE(i.isNull());
        ++icons;
    });
    ASSERT_NE(bar.shapeAction(6), nullptr);
    EXPECT_EQ(bar.shapeAction(6)->objectName(), QStringLiteral("Rechteckquer1"));
    bar.shapeAction(6)->trigger();
    EXPECT_EQ(pad.Shape, 6);
    EXPECT_EQ(undoSteps(s.project), 1u);
    EXPECT_TRUE(bar.shapeAction(6)->isChecked());
    EXPECT_GT(icons, 0);

    bar.throughPlatingAction()->trigger();
    EXPECT_TRUE(s.session.params().throughPlating);
    EXPECT_NE(s.project.currentBoard()->Elements[0]->Twin, nullptr);
    EXPECT_EQ(s.project.currentBoard()->Elements.size(), 2u);
    EXPECT_EQ(undoSteps(s.project), 2u);
}

TEST(PropertyBarTest, FavouriteMenuAddsChecksAndAppliesEntries)
{
    SessionFixture s;
    PropertyBar bar;
    bar.setSession(&s.session);
    int saved = 0;
    QObject::connect(&bar, &PropertyBar::favouritesChanged, [&](FavouriteKind) { ++saved; });
    QMenu* menu = bar.favouriteMenu(FavouriteKind::TrackWidth);
    EXPECT_EQ(menu->objectName(), QStringLiteral("LinienPopup"));
    bar.rebuildFavouriteMenu(FavouriteKind::TrackWidth);
    QAction* add = menu->findChild<QAction*>(QStringLiteral("L_Hinzufuegen"));
    ASSERT_NE(add, nullptr);
    add->trigger();
    EXPECT_EQ(saved, 1);
    ASSERT_EQ(bar.favourites(FavouriteKind::TrackWidth).entries().size(), 1u);
    EXPECT_EQ(bar.favourites(FavouriteKind::TrackWidth).entries()[0].caption, "0.8 mm");

    // Now the entry is the current value: checked, "Hinzufügen" off, "Entfernen" on.
    bar.rebuildFavouriteMenu(FavouriteKind::TrackWidth);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[0]->isChecked());
    EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("L_Hinzufuegen"))->isEnabled());
    EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("L_Entfernen"))->isEnabled());

    // Choosing it while a wider track is selected gives the track the width, as one step.
    TObjekt& t = addTrack(s.project, {{0, 0}, {500, 0}}, LayerK1, true);
    t.Width = 150;
    s.session.selectionChanged();
    bar.selectionChanged();
    EXPECT_EQ(bar.field(ParamField::Breite)->GetText(), QStringLiteral("1.5"));
    bar.rebuildFavouriteMenu(FavouriteKind::TrackWidth);
    menu->actions()[0]->trigger();
    EXPECT_EQ(t.Width, 80);
    EXPECT_EQ(undoSteps(s.project), 1u);
    EXPECT_EQ(bar.field(ParamField::Breite)->GetText(), QStringLiteral("0.8"));
}

TEST(PropertyBarTest, HoveringAToolButtonHighlightsItsFields)
{
    SessionFixture s;
    PropertyBar bar;
    bar.setSession(&s.session);
    QToolButton padButton;
    bar.watchToolButton(&padButton, ToolPad);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&padButton, &enter);
    EXPECT_TRUE(bar.field(ParamField::Aussen)->highlighted());
    EXPECT_TRUE(bar.field(ParamField::Innen)->highlighted());
    EXPECT_FALSE(bar.field(ParamField::Breite)->highlighted());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&padButton, &leave);
    EXPECT_FALSE(bar.field(ParamField::Aussen)->highlighted());
}

// ---------------------------------------------------------------------------------------------
// Status line

TEST(StatusBarWidgetsTest, GroundPlanePanelWidthFollowsTheSwitchOfTheCurrentSide)
{
    SessionFixture s;
    QWidget window;
    auto* bar = new QStatusBar(&window);
    StatusBarWidgets widgets(&window);
    widgets.addTo(bar);
    widgets.setSession(&s.session);
    QWidget* panel = widgets.groundPlanePanel();
    EXPECT_EQ(panel->width(), 47);
    EXPECT_FALSE(widgets.clearanceEdit()->isVisibleTo(panel));
    EXPECT_FALSE(widgets.restrictedButton()->isVisibleTo(panel));

    TBoard& board = *s.project.currentBoard();
    board.ActiveLayer = LayerB1; // side 1
    int repaints = 0;
    QObject::connect(&widgets, &StatusBarWidgets::groundPlaneChanged, [&](bool) { ++repaints; });
    widgets.groundPlaneButton()->click();
    EXPECT_EQ(board.GroundPlane1, 1);
    EXPECT_EQ(board.GroundPlane2, 0);
    EXPECT_EQ(panel->width(), 90);
    EXPECT_TRUE(widgets.clearanceEdit()->isVisibleTo(panel));
    EXPECT_TRUE(widgets.restrictedButton()->isVisibleTo(panel));
    EXPECT_TRUE(s.project.Modified);
    EXPECT_EQ(repaints, 1);

    // Drawing on side 2 shows side 2's switch, which is off.
    board.ActiveLayer = LayerK2;
    widgets.syncGroundPlane();
    EXPECT_FALSE(widgets.groundPlaneButton()->isChecked());
    EXPECT_EQ(panel->width(), 47);

    // The menu command inverts the switch, which is saved with the board: a change as well.
    s.project.Modified = false;
    widgets.toggleGroundPlane();
    EXPECT_EQ(board.GroundPlane2, 1);
    EXPECT_TRUE(widgets.groundPlaneButton()->isChecked());
    EXPECT_EQ(panel->width(), 90);
    EXPECT_TRUE(s.project.Modified);
}

TEST(StatusBarWidgetsTest, RestrictedAreasAndClearanceOnTheSelection)
{
    SessionFixture s;
    QWidget window;
    StatusBarWidgets widgets(&window);
    widgets.setSession(&s.session);
    widgets.groundPlaneButton()->click();
    widgets.restrictedButton()->click();
    EXPECT_TRUE(s.session.restrictedAreas());
    EXPECT_EQ(s.session.tool(), ToolArea);
    // Switching the plane releases the restricted-area button.
    widgets.groundPlaneButton()->click();
    widgets.groundPlaneButton()->click();
    EXPECT_FALSE(s.session.restrictedAreas());
    EXPECT_FALSE(widgets.restrictedButton()->isChecked());

    s.session.SetTool(ToolStandard);
    TObjekt& a = addPad(s.project, {0, 0}, LayerK1, true);
    TObjekt& b = addTrack(s.project, {{0, 0}, {500, 0}}, LayerK1, true);
    s.session.selectionChanged();
    widgets.showParameters();
    TLaySpinEdit& clearance = *widgets.clearanceEdit();
    focusIn(clearance);
    type(clearance, QStringLiteral("1.5"));
    focusOut(clearance);
    EXPECT_EQ(a.Clearance, 150);
    EXPECT_EQ(b.Clearance, 150);
    EXPECT_EQ(undoSteps(s.project), 1u);
    // The field stops at 5.0 mm.
    focusIn(clearance);
    type(clearance, QStringLiteral("9"));
    focusOut(clearance);
    EXPECT_EQ(clearance.GetText(), QStringLiteral("5.0"));
    EXPECT_EQ(a.Clearance, 500);
    EXPECT_EQ(undoSteps(s.project), 2u);
}

TEST(StatusBarWidgetsTest, HintShowsOneLine)
{
    QWidget window;
    StatusBarWidgets widgets(&window);
    widgets.setHint(QStringLiteral("Linke Maustaste\rrechte Maustaste"));
    EXPECT_EQ(widgets.hintLabel()->text(), QStringLiteral("Linke Maustaste rechte Maustaste"));
    EXPECT_EQ(widgets.hintLabel()->objectName(), QStringLiteral("L_Hilfetext"));
}

// ---------------------------------------------------------------------------------------------
// Measuring panel

TEST(MeasurePanelTest, FollowsTheCursorOnTheSideThereIsRoomFor)
{
    const QSize size(100, 60);
    MeasurePanel d;
    d.below = true;
    d.right = true;
    EXPECT_EQ(MeasurePanelWidget::placement(d, {200, 150}, size), QPoint(220, 170));
    d.below = false;
    d.right = false;
    EXPECT_EQ(MeasurePanelWidget::placement(d, {200, 150}, size), QPoint(100, 90));

    QWidget area;
    area.resize(800, 600);
    MeasurePanelWidget panel(&area);
    d = measureTexts(300, -400, false);
    d.below = true;
    d.right = true;
    panel.showPanel(d, {10, 10});
    EXPECT_EQ(panel.distanceLabel()->text(), QString::fromStdString(d.distance));
    EXPECT_EQ(panel.angleLabel()->text(), QString::fromStdString(d.angle));
    EXPECT_EQ(panel.pos(), QPoint(30, 30));
    EXPECT_TRUE(panel.isVisibleTo(&area));
}

// ---------------------------------------------------------------------------------------------
// Dialogs

TEST(BogenDlgTest, ShowsTheLastSelectedCircleAndAppliesAngles)
{
    TProject project = oneBoardProject();
    TObjekt& first = add(project, NewCircle({0, 0}, 300, ShapeRound, LayerK1, 200), true);
    TObjekt& second = add(project, NewCircle({1000, 0}, 520, ShapeRound, LayerK1, 480), true);
    second.Angle = 90;
    second.Width = 270;
    bool asked = false;
    const EditResult r = RunArcDialog(nullptr, project, [&](TBogenDlg& d) {
        asked = true;
        EXPECT_EQ(d.startAngle()->value(), 90);
        EXPECT_EQ(d.stopAngle()->value(), 270);
        EXPECT_DOUBLE_EQ(d.diameter()->value(), 10.0); // mean radius 500 units
        EXPECT_FALSE(d.fillWarning()->isEnabled());
        d.filled()->setChecked(true);
        EXPECT_TRUE(d.fillWarning()->isEnabled());
        d.startAngle()->setValue(45);
        d.stopAngle()->setValue(180);
        d.diameter()->setValue(11.0);
        return true;
    });
    ASSERT_TRUE(asked);
    EXPECT_TRUE(r.changed);
    for (TObjekt* c : {&first, &second}) {
        EXPECT_EQ(c->Angle, 45);
        EXPECT_EQ(c->Width, 180);
        EXPECT_EQ(c->Filled, 1);
    }
    // Both radii grow by the change of the shown mean radius; the ring width is kept.
    EXPECT_EQ(second.Size1, 570);
    EXPECT_EQ(second.Size2, 530);
    EXPECT_EQ(first.Size1 - first.Size2, 100);
}

TEST(BogenDlgTest, CancelAndNoCircleChangeNothing)
{
    TProject project = oneBoardProject();
    addTrack(project, {{0, 0}, {100, 0}}, LayerK1, true);
    bool asked = false;
    EXPECT_FALSE(RunArcDialog(nullptr, project, [&](TBogenDlg&) { return asked = true; }).changed);
    EXPECT_FALSE(asked);
    TObjekt& c = add(project, NewCircle({0, 0}, 300, ShapeRound, LayerK1, 200), true);
    EXPECT_FALSE(RunArcDialog(nullptr, project, [](TBogenDlg& d) {
                     d.startAngle()->setValue(10);
                     return false;
                 }).changed);
    EXPECT_EQ(c.Angle, 0);
}

TEST(VielEckDlgTest, OkStoresTheSettingsAndCancelKeepsThem)
{
    TVielEckDlg dialog;
    PolygonSettings s;
    EXPECT_TRUE(dialog.edit(s, [](TVielEckDlg& d) {
        EXPECT_EQ(d.corners()->value(), 6);
        d.corners()->setValue(8);
        d.angleOffset()->setValue(-22.5);
        d.filled()->setChecked(true);
        return true;
    }));
    EXPECT_EQ(s.corners, 8);
    EXPECT_DOUBLE_EQ(s.angleOffset, -22.5);
    EXPECT_TRUE(s.filled);
    EXPECT_FALSE(dialog.edit(s, [](TVielEckDlg& d) {
        d.corners()->setValue(3);
        return false;
    }));
    EXPECT_EQ(s.corners, 8);
    // The fields keep to their ranges.
    dialog.radius()->setValue(500.0);
    EXPECT_DOUBLE_EQ(dialog.settings().radiusMm, 99.9);
    // A decimal comma is typed as readily as a point.
    dialog.radius()->selectAll();
    QTest::keyClicks(dialog.radius(), QStringLiteral("12,5"));
    dialog.radius()->interpretText();
    EXPECT_DOUBLE_EQ(dialog.settings().radiusMm, 12.5);
    EXPECT_EQ(dialog.radius()->text(), QStringLiteral("12.5"));
}

TEST(RealAnsichtDlgTest, ReportsEveryChangeAndTheClosing)
{
    TRealAnsichtDlg dialog;
    std::vector<PhotoView> seen;
    QObject::connect(&dialog, &TRealAnsichtDlg::photoViewChanged,
                     [&](const PhotoView& v) { seen.push_back(v); });
    dialog.show();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen.back().shown);
    EXPECT_EQ(seen.back().side, 1);
    dialog.side2()->click();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen.back().side, 2);
    EXPECT_TRUE(seen.back().shown);
    dialog.withComponents()->click();
    dialog.translucent()->click();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen.back().withComponents);
    EXPECT_TRUE(seen.back().translucent);
    dialog.close();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_FALSE(seen.back().shown);
    EXPECT_EQ(seen.back().side, 2); // the choices stay for the next opening
    // Setting the choices from outside is not a change the user made.
    dialog.setPhotoView(PhotoView{});
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(dialog.photoView().side, 1);
}

// ---------------------------------------------------------------------------------------------
// Icons and cursors

TEST(CursorsTest, DrawnCursorsCarryTheirHotSpots)
{
    for (const char* name : {"LUPE", "TEST", "CHANGER", "CONNECT", "AUTOROUTE", "RING"}) {
        const QCursor c = TrevokCursor(name);
        EXPECT_EQ(c.shape(), Qt::BitmapCursor) << name;
        EXPECT_EQ(c.pixmap().size(), QSize(32, 32)) << name;
        EXPECT_EQ(c.hotSpot(), TrevokCursorHotSpot(name)) << name;
    }
    EXPECT_EQ(TrevokCursor("ARROW").shape(), Qt::ArrowCursor);
    EXPECT_EQ(TrevokCursor("CROSS").shape(), Qt::CrossCursor);
    EXPECT_EQ(TrevokCursor("NONSENSE").shape(), Qt::ArrowCursor);
}

TEST(CursorsTest, EveryPictureTheWindowAsksForExists)
{
    for (const char* name :
         {"tool_standard", "tool_zoom",    "tool_track", "tool_pad",     "tool_smdpad", "tool_ring",
          "tool_area",     "tool_polygon", "tool_text",  "tool_connect", "tool_test",   "tool_autoroute",
          "tool_measure",  "tool_photo",   "layerinfo",  "boardsize",    "grid",        "unit",
          "groundplane",   "restricted",   "new",        "open",         "save",        "print",
          "cut",           "copy",         "paste",      "delete",       "undo",        "redo",
          "zoom_in",       "zoom_out"}) {
        const QIcon icon = TrevokIcon(name);
        EXPECT_FALSE(icon.pixmap(24, 24).isNull()) << name;
    }
    for (int shape = 1; shape <= 9; ++shape) {
        const QImage plain = PadShapeIcon(shape, false).pixmap(24, 24).toImage();
        const QImage plated = PadShapeIcon(shape, true).pixmap(24, 24).toImage();
        ASSERT_FALSE(plain.isNull());
        EXPECT_NE(plain, plated) << shape; // the through-plated set looks different
    }
    EXPECT_TRUE(TrevokIcon("no_such_picture").isNull());
}
