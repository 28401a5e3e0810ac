// The view's widgets and dialogs: navigator, rulers, grid menu, grid dialog, colour dialog.
#include "dialogs/colordlg.h"
#include "dialogs/rasterdlg.h"
#include "languageguard.h"
#include "view/gridlist.h"
#include "view/texts.h"
#include "view/viewmodel.h"
#include "view/widgets/gridmenu.h"
#include "view/widgets/navigator.h"
#include "view/widgets/ruler.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

struct ViewWidgets : ::testing::Test {
    Language german{0};
    TBoard board;
    ViewModel view;

    void SetUp() override
    {
        view.loadFrom(board);
        view.setViewportSize({800, 600});
    }
};

void mouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void click(QWidget& w, QPoint pos, Qt::MouseButton button)
{
    mouse(w, QEvent::MouseButtonPress, pos, button, button);
    mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

} // namespace

TEST_F(ViewWidgets, NavigatorClickZoomsAndDragScrolls)
{
    Navigator nav(view);
    // The visible area: (6, 21) 40 × 30 at scroll 0, zoom 0.1
    EXPECT_EQ(nav.visibleRect(), QRect(6, 21, 40, 30));

    mouse(nav, QEvent::MouseButtonPress, {26, 36}, Qt::LeftButton, Qt::LeftButton);
    mouse(nav, QEvent::MouseMove, {36, 41}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(nav.visibleRect(), QRect(16, 26, 40, 30));
    mouse(nav, QEvent::MouseButtonRelease, {36, 41}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(view.scrollPosition(), QPoint(200, 100)); // round(0.1 × 10 × 200), round(0.1 × 5 × 200)
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);                 // a drag does not zoom
    EXPECT_TRUE(board.PreviousViews.empty());

    click(nav, nav.visibleRect().center(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.14);
    click(nav, nav.visibleRect().center(), Qt::RightButton);
    EXPECT_NEAR(view.zoom(), 0.1, 1e-12);
    EXPECT_EQ(board.PreviousViews.size(), 2u);

    // Outside the board nothing happens.
    click(nav, {1, 1}, Qt::LeftButton);
    EXPECT_EQ(board.PreviousViews.size(), 2u);
}

TEST_F(ViewWidgets, NavigatorPressBesideTheVisibleAreaMovesItThereWithoutZooming)
{
    Navigator nav(view);
    click(nav, {70, 50}, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    // centred on (70, 50): top left (50, 35), relative to the board (44, 14), limited to (40, 14)
    EXPECT_EQ(view.scrollPosition(), QPoint(800, 280));
}

TEST_F(ViewWidgets, RulerDrawsTicksFromTheOriginAndAMarker)
{
    view.setOrigin({1000, 0});
    Ruler ruler(Qt::Horizontal, view);
    ruler.resize(300, Ruler::Thickness);
    ruler.setMarker(150);
    EXPECT_EQ(ruler.markerPosition(), 176);
    const QImage img = ruler.grab().toImage();
    const int bottom = img.height() - 2;
    const QColor background = img.pixelColor(131, bottom); // between the ticks at 126 and 136
    EXPECT_NE(img.pixelColor(126, bottom), background);    // e = 0 at the origin
    EXPECT_NE(img.pixelColor(136, bottom), background);
    EXPECT_EQ(img.pixelColor(126, img.height() - 12), img.pixelColor(126, bottom)); // 14 pixels long
    EXPECT_NE(img.pixelColor(136, img.height() - 12), img.pixelColor(136, bottom)); // 4 pixels long
    EXPECT_EQ(img.pixelColor(176, 1), QColor(200, 0, 0));
    // The corner above the vertical ruler stays empty although e = −10 would be at 26 − 100.
    view.setOrigin({0, 0});
    const QImage corner = ruler.grab().toImage();
    for (int x = 0; x < Ruler::CornerWidth; ++x)
        EXPECT_EQ(corner.pixelColor(x, bottom), corner.pixelColor(0, 0)) << x;
}

TEST_F(ViewWidgets, GridMenuAddsChecksAndRemovesUserGrids)
{
    GridList grids;
    GridMenu menu(view, grids);
    menu.askNewGrid = [] { return std::optional<QString>(QStringLiteral("2.54")); };
    int listChanges = 0;
    QObject::connect(&menu, &GridMenu::userGridsChanged, [&] { ++listChanges; });

    menu.rebuild();
    EXPECT_FALSE(menu.removeGridAction()->isEnabled());
    EXPECT_EQ(menu.gridActions().size(), 7);
    EXPECT_TRUE(menu.gridActions()[5]->isChecked()); // 2.54 mm is the grid of a new board

    menu.gridActions()[0]->trigger();
    EXPECT_DOUBLE_EQ(view.grid(), 7.9375);

    menu.addGridAction()->trigger();
    EXPECT_DOUBLE_EQ(view.grid(), 254);
    EXPECT_EQ(listChanges, 1);
    menu.rebuild();
    ASSERT_EQ(menu.gridActions().size(), 8);
    EXPECT_EQ(menu.gridActions()[7]->text(), QStringLiteral("      2.54 mm"));
    EXPECT_TRUE(menu.gridActions()[7]->isChecked());
    EXPECT_FALSE(menu.gridActions()[5]->isChecked()) << "one entry of the value is checked, not both";
    EXPECT_TRUE(menu.removeGridAction()->isEnabled());

    menu.removeGridAction()->trigger();
    EXPECT_EQ(listChanges, 2);
    EXPECT_DOUBLE_EQ(view.grid(), 254); // the grid itself stays
    menu.rebuild();
    EXPECT_EQ(menu.gridActions().size(), 7);
    EXPECT_FALSE(menu.removeGridAction()->isEnabled());

    for (QAction* a : menu.markingMenu()->actions())
        if (a->data().toInt() == 10)
            a->trigger();
    EXPECT_EQ(view.gridMarking(), 10);
    menu.gridVisibleAction()->trigger();
    EXPECT_FALSE(view.gridVisible());
}

TEST(GridDialog, OffersHundredthsOfAMillimetreUpToNinetyNinePointNine)
{
    Language english(1);
    QLocale::setDefault(QLocale(QLocale::German));
    TRasterDlg dlg;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Define grid"));
    EXPECT_EQ(dlg.valueText(), QStringLiteral("0.50"));
    dlg.valueField()->setValue(150);
    EXPECT_EQ(dlg.valueText(), QStringLiteral("99.90"));
    dlg.valueField()->setValue(0.001);
    EXPECT_EQ(dlg.valueText(), QStringLiteral("0.01"));
}

namespace
{

struct ColourDialog : ::testing::Test {
    Language english{1};
    QTemporaryDir dir;
    QByteArray oldHome;
    ColourScheme oldColours;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        oldHome = qgetenv("TREVOK_HOME");
        qputenv("TREVOK_HOME", dir.path().toUtf8());
        oldColours = CurrentColours();
    }
    void TearDown() override
    {
        qputenv("TREVOK_HOME", oldHome);
        CurrentColours() = oldColours;
    }
};

} // namespace

TEST_F(ColourDialog, EditsApplyAtOnceAndAreSavedWhenTheUserSaysSo)
{
    TColor_Dlg dlg;
    EXPECT_EQ(dlg.schemeBox()->itemText(0), QStringLiteral("Default"));
    int repaints = 0;
    QObject::connect(&dlg, &TColor_Dlg::coloursChanged, [&] { ++repaints; });
    dlg.chooseColour = [](const QColor&) { return std::optional<QColor>(QColor(255, 0, 0)); };
    int questions = 0;
    bool answer = true;
    dlg.askSaveChanges = [&] {
        ++questions;
        return answer;
    };

    dlg.loadSchemes();
    dlg.selectScheme(0);
    dlg.show();
    EXPECT_FALSE(dlg.panel(0)->isEnabled()); // Standard cannot be edited
    dlg.editPanel(0);
    EXPECT_EQ(CurrentColours(), ColourScheme::Standard());

    dlg.schemeBox()->setCurrentIndex(1); // User 1 has no file: all black
    EXPECT_EQ(CurrentColours(), ColourScheme::Black());
    EXPECT_TRUE(dlg.panel(0)->isEnabled());
    dlg.editPanel(0);
    EXPECT_EQ(CurrentColours()[ColourBackground], Rgb(255, 0, 0));
    EXPECT_TRUE(dlg.schemeChanged());

    dlg.schemeBox()->setCurrentIndex(2); // asks; Yes writes User 1
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(LoadColourScheme(1)[ColourBackground], Rgb(255, 0, 0));
    EXPECT_EQ(CurrentColours(), ColourScheme::Black());

    answer = false;
    dlg.editPanel(1);
    dlg.schemeBox()->setCurrentIndex(1); // No: User 2 stays as its file (missing)
    EXPECT_EQ(questions, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("C_USER2.DAT"))));
    EXPECT_EQ(dlg.scheme(2), ColourScheme::Black());
    EXPECT_EQ(CurrentColours()[ColourBackground], Rgb(255, 0, 0)); // User 1 as saved

    dlg.accept(); // OK writes the selected user scheme
    EXPECT_EQ(dlg.schemeIndex(), 1);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("C_USER1.DAT"))));
    EXPECT_GT(repaints, 0);
}

TEST_F(ColourDialog, CancelRestoresSchemeAndColours)
{
    TColor_Dlg dlg;
    dlg.chooseColour = [](const QColor&) { return std::optional<QColor>(QColor(1, 2, 3)); };
    dlg.askSaveChanges = [] { return false; };
    dlg.selectScheme(0);
    dlg.show();
    dlg.schemeBox()->setCurrentIndex(3);
    dlg.editPanel(6); // air wires
    EXPECT_EQ(CurrentColours()[ColourConnection], Rgb(1, 2, 3));
    dlg.reject();
    EXPECT_EQ(dlg.schemeIndex(), 0);
    EXPECT_EQ(dlg.schemeBox()->currentIndex(), 0);
    EXPECT_EQ(CurrentColours(), ColourScheme::Standard());
    EXPECT_EQ(dlg.scheme(3), ColourScheme::Black());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("C_USER3.DAT"))));
}
