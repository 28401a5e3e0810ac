#include "document/objekt.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

using namespace trevok;

namespace
{

ElementList padsWithGroups(std::initializer_list<std::vector<std::int32_t>> groups)
{
    ElementList list;
    std::int32_t x = 0;
    for (const auto& g : groups) {
        list.push_back(NewPad({x, 0}, 50, ShapeRound, LayerK1, 20));
        list.back()->Groups = g;
        x += 200;
    }
    return list;
}

void selectOnly(ElementList& list, std::initializer_list<std::size_t> indices)
{
    for (auto& e : list)
        e->Selected = 0;
    for (std::size_t i : indices)
        list[i]->Selected = 1;
}

std::vector<int> selection(const ElementList& list)
{
    std::vector<int> s;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]->Selected)
            s.push_back(static_cast<int>(i));
    return s;
}

} // namespace

TEST(Groups, NextFreeIdLiesAboveEveryId)
{
    EXPECT_EQ(NextFreeGroupId({}), 1);
    EXPECT_EQ(NextFreeGroupId(padsWithGroups({{}, {4}, {2, 7}})), 8);
    // A large inner id (foreign file) is skipped too, so dissolving the outer group later
    // cannot merge it with a new one.
    EXPECT_EQ(NextFreeGroupId(padsWithGroups({{9, 3}, {3}})), 10);
    EXPECT_EQ(NextFreeGroupId(padsWithGroups({{-5}})), 1);
    // No room above the largest id: the smallest unused one.
    EXPECT_EQ(NextFreeGroupId(padsWithGroups({{1, std::numeric_limits<std::int32_t>::max()}, {2}})), 3);
}

TEST(Groups, GroupingAndUngroupingTheSelection)
{
    ElementList list = padsWithGroups({{}, {}, {}, {}});
    selectOnly(list, {0});
    GroupSelection(list);
    EXPECT_TRUE(list[0]->Groups.empty()); // one element makes no group

    selectOnly(list, {0, 2});
    GroupSelection(list);
    EXPECT_EQ(list[0]->Groups, std::vector<std::int32_t>{1});
    EXPECT_EQ(list[2]->Groups, std::vector<std::int32_t>{1});
    EXPECT_TRUE(list[1]->Groups.empty());
    GroupSelection(list); // already one group: nothing changes
    EXPECT_EQ(list[0]->Groups, std::vector<std::int32_t>{1});

    selectOnly(list, {0, 1, 2}); // a member without an id makes a new, outer group
    GroupSelection(list);
    EXPECT_EQ(list[0]->Groups, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(list[1]->Groups, std::vector<std::int32_t>{2});

    selectOnly(list, {1, 3}); // first selected has an id, the later one none
    GroupSelection(list);
    EXPECT_EQ(list[1]->Groups, (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(list[3]->Groups, std::vector<std::int32_t>{3});

    selectOnly(list, {0, 1, 3});
    UngroupSelection(list);
    EXPECT_EQ(list[0]->Groups, std::vector<std::int32_t>{1});
    EXPECT_EQ(list[1]->Groups, std::vector<std::int32_t>{2});
    EXPECT_TRUE(list[3]->Groups.empty());
    EXPECT_EQ(list[2]->Groups, (std::vector<std::int32_t>{1, 2})); // not selected: untouched
}

TEST(Groups, SelectingPicksTheOutermostGroupAndTwins)
{
    // 0 and 1 form group 1, nested with 2 in group 2; 3 is the twin of 0; 4 is alone.
    ElementList list = padsWithGroups({{1, 2}, {1, 2}, {2}, {}, {}});
    list[0]->Twin = list[3].get();
    list[3]->Twin = list[0].get();
    list[3]->Layer = LayerK2;

    std::vector<const TObjekt*> changed;
    SelectWithGroup(list, 1, true, [&](TObjekt& e) { changed.push_back(&e); });
    EXPECT_EQ(selection(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(std::set<const TObjekt*>(changed.begin(), changed.end()).size(), 4u);
    EXPECT_EQ(changed.size(), 4u); // each changed element reported once

    changed.clear();
    SelectWithGroup(list, 0, true, [&](TObjekt& e) { changed.push_back(&e); });
    EXPECT_TRUE(changed.empty()); // nothing changed, nothing to repaint

    SelectWithGroup(list, 2, false);
    EXPECT_TRUE(selection(list).empty());

    list[2]->Groups.clear(); // dissolve the outer group: 1 now brings only 0 and 0's twin
    SelectWithGroup(list, 1, true);
    EXPECT_EQ(selection(list), (std::vector<int>{0, 1, 3}));
    SelectWithGroup(list, 99, true); // out of range: ignored
    EXPECT_EQ(selection(list), (std::vector<int>{0, 1, 3}));
}

TEST(Groups, CompactionClosesGapsKeepingOrderAndIdentity)
{
    ElementList list = padsWithGroups({{3}, {7}, {7}, {12}, {3, 12}, {}, {-4, 7}});
    CompactGroupIds(list);
    EXPECT_EQ(list[0]->Groups, std::vector<std::int32_t>{2});
    EXPECT_EQ(list[1]->Groups, std::vector<std::int32_t>{3});
    EXPECT_EQ(list[2]->Groups, std::vector<std::int32_t>{3});
    EXPECT_EQ(list[3]->Groups, std::vector<std::int32_t>{4});
    EXPECT_EQ(list[4]->Groups, (std::vector<std::int32_t>{2, 4}));
    EXPECT_TRUE(list[5]->Groups.empty());
    EXPECT_EQ(list[6]->Groups, (std::vector<std::int32_t>{1, 3}));

    ElementList plain = padsWithGroups({{3}, {7}, {7}, {12}});
    CompactGroupIds(plain);
    EXPECT_EQ(plain[0]->Groups, std::vector<std::int32_t>{1});
    EXPECT_EQ(plain[1]->Groups, std::vector<std::int32_t>{2});
    EXPECT_EQ(plain[2]->Groups, std::vector<std::int32_t>{2});
    EXPECT_EQ(plain[3]->Groups, std::vector<std::int32_t>{3});
    EXPECT_EQ(NextFreeGroupId(plain), 4);
}

TEST(Groups, VersionOneGroupNumbers)
{
    ElementList list = padsWithGroups({{}, {}, {}, {}, {}});
    list[0]->OldGroup = 5;
    list[1]->OldGroup = 5;
    list[2]->OldGroup = 7; // alone: no group
    list[4]->OldGroup = 5;
    ConvertOldGroups(list);
    for (const auto& e : list)
        EXPECT_EQ(e->OldGroup, 0);
    ASSERT_EQ(list[0]->Groups.size(), 1u);
    EXPECT_EQ(list[1]->Groups, list[0]->Groups);
    EXPECT_EQ(list[4]->Groups, list[0]->Groups);
    EXPECT_TRUE(list[2]->Groups.empty());
    EXPECT_TRUE(list[3]->Groups.empty());

    ElementList two = padsWithGroups({{}, {}, {}, {}});
    two[0]->OldGroup = 2;
    two[1]->OldGroup = -1;
    two[2]->OldGroup = 2;
    two[3]->OldGroup = -1;
    ConvertOldGroups(two);
    ASSERT_EQ(two[0]->Groups.size(), 1u);
    ASSERT_EQ(two[1]->Groups.size(), 1u);
    EXPECT_NE(two[0]->Groups, two[1]->Groups);
    EXPECT_EQ(two[2]->Groups, two[0]->Groups);
    EXPECT_EQ(two[3]->Groups, two[1]->Groups);
}
