#include "view/gridlist.h"

#include "languageguard.h"
#include "view/texts.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

struct GridListFixture : ::testing::Test {
    Language german{0};
};

std::function<std::optional<QString>(const QString&)> section(const QMap<QString, QString>& keys)
{
    return [keys](const QString& key) -> std::optional<QString> {
        if (!keys.contains(key))
            return std::nullopt;
        return keys.value(key);
    };
}

std::vector<std::int64_t> tags(const GridList& list)
{
    std::vector<std::int64_t> t;
    for (const GridEntry& e : list.userGrids())
        t.push_back(e.Tag);
    return t;
}

} // namespace

TEST_F(GridListFixture, BuiltInGridsAreInTenThousandthsOfAMillimetre)
{
    GridList list;
    ASSERT_EQ(list.builtIn().size(), 7u);
    EXPECT_DOUBLE_EQ(list.builtIn()[0].grid(), 7.9375);
    EXPECT_DOUBLE_EQ(list.builtIn()[1].grid(), 15.875);
    EXPECT_DOUBLE_EQ(list.builtIn()[5].grid(), 254);
    EXPECT_DOUBLE_EQ(list.builtIn()[6].grid(), 508);
    EXPECT_EQ(list.builtIn()[0].Caption.trimmed(), QStringLiteral("0.079375 mm (1/32 RM)"));
    EXPECT_EQ(list.builtIn()[5].Caption.trimmed(), QStringLiteral("2.54 mm (RM)"));
    EXPECT_DOUBLE_EQ(GridOfTag(254), 254);
    EXPECT_DOUBLE_EQ(GridOfTag(10001), 1.0001);
}

TEST_F(GridListFixture, AddingKeepsUserGridsAscendingAndUnique)
{
    GridList list;
    EXPECT_EQ(list.addUserGrid(QStringLiteral("2.54")), std::optional<double>(254));
    EXPECT_EQ(list.addUserGrid(QStringLiteral("0.50")), std::optional<double>(50));
    EXPECT_EQ(list.addUserGrid(QStringLiteral("1.00")), std::optional<double>(100));
    EXPECT_EQ(list.addUserGrid(QStringLiteral("2.54")),
              std::optional<double>(254)); // exists: becomes current only
    EXPECT_EQ(tags(list), (std::vector<std::int64_t>{50, 100, 254}));
    EXPECT_EQ(list.userGrids()[0].Caption, QStringLiteral("      0.50 mm"));
    // A 2.54 mm user grid stands beside the built-in one; it is the one that can be removed.
    EXPECT_TRUE(list.isUserGrid(254));
    EXPECT_FALSE(list.isUserGrid(7.9375));
    EXPECT_FALSE(list.addUserGrid(QStringLiteral("abc")));
    EXPECT_FALSE(list.addUserGrid(QStringLiteral("0")));
    EXPECT_FALSE(list.addUserGrid(QStringLiteral("-1")));
    EXPECT_EQ(list.userGrids().size(), 3u);
}

TEST_F(GridListFixture, RemovingTakesTheUserGridOfTheRoundedCurrentGrid)
{
    GridList list;
    list.addUserGrid(QStringLiteral("0.08"));
    EXPECT_FALSE(list.isUserGrid(7.9375)); // the built-in 1/32 grid is not the user's 0.08 mm
    EXPECT_TRUE(list.removeUserGrid(8.2)); // round(8.2) = 8
    EXPECT_TRUE(list.userGrids().empty());
    EXPECT_FALSE(list.removeUserGrid(8));
}

TEST_F(GridListFixture, ReadingStopsAtTheFirstMissingTagAndRepairsTheRest)
{
    GridList list;
    list.readSettings(section({
        {QStringLiteral("T8"), QStringLiteral("100")},
        {QStringLiteral("S8"), QStringLiteral("1.00 mm")},
        {QStringLiteral("T9"), QStringLiteral("50")}, // out of order, no caption
        {QStringLiteral("T10"), QStringLiteral("abc")},
        {QStringLiteral("T11"), QStringLiteral("-3")},
        {QStringLiteral("T12"), QStringLiteral("100")}, // duplicate
        {QStringLiteral("S12"), QStringLiteral("   other")},
        {QStringLiteral("T13"), QStringLiteral("254")},
        {QStringLiteral("S13"), QStringLiteral("          2.54 mm")},
        {QStringLiteral("T15"), QStringLiteral("300")}, // after the gap at 14: not read
    }));
    EXPECT_EQ(tags(list), (std::vector<std::int64_t>{50, 100, 254}));
    EXPECT_EQ(list.userGrids()[0].Caption, QStringLiteral("      0.50 mm"));
    EXPECT_EQ(list.userGrids()[1].Caption, QStringLiteral("      1.00 mm"));
    EXPECT_EQ(list.userGrids()[2].Caption, QStringLiteral("      2.54 mm"));
}

TEST_F(GridListFixture, WrittenEntriesReadBackTheSame)
{
    GridList list;
    for (const char* v : {"0.35", "12.70", "0.01", "99.90"})
        list.addUserGrid(QString::fromLatin1(v));
    const auto entries = list.settingsEntries();
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0], (std::pair<QString, QString>(QStringLiteral("T8"), QStringLiteral("1"))));
    EXPECT_EQ(entries[7].first, QStringLiteral("S11"));
    QMap<QString, QString> keys;
    for (const auto& [k, v] : entries)
        keys.insert(k, v);
    GridList back;
    back.readSettings(section(keys));
    ASSERT_EQ(back.userGrids().size(), list.userGrids().size());
    for (std::size_t i = 0; i < list.userGrids().size(); ++i) {
        EXPECT_EQ(back.userGrids()[i].Tag, list.userGrids()[i].Tag);
        EXPECT_EQ(back.userGrids()[i].Caption, list.userGrids()[i].Caption);
    }
}
