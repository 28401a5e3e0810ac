// The list of recent files and its menu entries.
#include "app/recentfiles.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace trevok;

TEST(RecentFiles, NewPathsShiftTheListAndDropTheOldest)
{
    RecentFiles r({"/1.lay", "/2.lay", "/3.lay", "/4.lay"});
    EXPECT_TRUE(r.AddRecentFile("/5.lay"));
    EXPECT_EQ(r.paths(), (std::array<QString, 4>{"/5.lay", "/1.lay", "/2.lay", "/3.lay"}));
}

TEST(RecentFiles, AKnownPathLeavesTheOrderWhateverItsCase)
{
    RecentFiles r({"/1.lay", "/2.lay", "/Three.lay", "/4.lay"});
    const auto before = r.paths();
    EXPECT_FALSE(r.AddRecentFile("/Three.lay"));
    EXPECT_FALSE(r.AddRecentFile("/THREE.LAY"));
    EXPECT_EQ(r.paths(), before);
}

TEST(RecentFiles, BackupsAndEmptyPathsNeverEnter)
{
    RecentFiles r({"/1.lay", "", "", ""});
    EXPECT_FALSE(r.AddRecentFile("/work/amp.bak"));
    EXPECT_FALSE(r.AddRecentFile("/work/amp.BAK"));
    EXPECT_FALSE(r.AddRecentFile(""));
    EXPECT_EQ(r.path(0), "/1.lay");
    EXPECT_EQ(r.path(1), "");
    EXPECT_TRUE(r.AddRecentFile("/work/amp.bak.lay")) << "only the extension counts";
}

TEST(RecentFiles, MenuEntriesShowNumberAndNameAndHideShortPaths)
{
    RecentFiles r({"/home/u/Tom & Jerry.lay", "x", "", "/b.lay"});
    EXPECT_EQ(r.entryText(0), "&1 Tom && Jerry.lay");
    EXPECT_EQ(r.entryText(3), "&4 b.lay");
    EXPECT_TRUE(r.entryVisible(0));
    EXPECT_FALSE(r.entryVisible(1)) << "a path of one character is not shown";
    EXPECT_FALSE(r.entryVisible(2));

    std::array<QAction*, 4> actions;
    std::array<std::unique_ptr<QAction>, 4> owned;
    for (int i = 0; i < 4; ++i) {
        owned[i] = std::make_unique<QAction>();
        actions[i] = owned[i].get();
    }
    QAction separator;
    r.updateActions(actions, &separator);
    EXPECT_TRUE(actions[0]->isVisible());
    EXPECT_FALSE(actions[1]->isVisible());
    EXPECT_TRUE(actions[3]->isVisible());
    EXPECT_TRUE(separator.isVisible());

    RecentFiles empty({"", "", "", "/d.lay"});
    empty.updateActions(actions, &separator);
    EXPECT_FALSE(separator.isVisible()) << "the separator follows the first entry only";
    EXPECT_TRUE(actions[3]->isVisible());
}
