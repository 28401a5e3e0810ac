// trevok-cli check: output, exit status, bad input, and the mill rule against contours.
#include "output/checkboards.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "clirun.h"

using namespace checkboards;

namespace
{

QString writeFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

QJsonObject parse(const std::string& out)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

} // namespace

TEST(CheckCli, OutputAndExitStatus)
{
    QTemporaryDir dir;
    Board gap = cleanBoard();
    gap.elements.push_back(
        El{.rec = {.kind = 8, .x = 2000, .y = -1555, .size1 = 100, .size2 = 40, .layer = 1}});
    Board dangling = cleanBoard();
    dangling.elements.push_back(
        El{.rec = {.kind = 6, .width = 40, .layer = 1}, .nodes = {{1000, -1500}, {1000, -1000}}});
    const QString clean = writeFile(dir, "clean.lay", layoutFile(cleanBoard()));
    const QString gapFile = writeFile(dir, "gap.lay", layoutFile(gap));
    const QString danglingFile = writeFile(dir, "dangling.lay", layoutFile(dangling));
    Bytes cut = layoutFile(gap);
    cut.resize(cut.size() - 330); // ends inside the element records
    const QString damaged = writeFile(dir, "damaged.lay", cut);

    struct Row {
        const char* name;
        QStringList args;
        int status;
        std::function<void(const CliRun&)> more;
    };
    const std::vector<Row> rows{
        {"clean",
         {"check", clean, "--json"},
         0,
         [](const CliRun& r) {
             const QJsonObject o = parse(r.out);
             EXPECT_EQ(o["errors"].toInt(), 0);
             EXPECT_EQ(o["warnings"].toInt(), 0);
             EXPECT_TRUE(o["problems"].toArray().isEmpty());
             EXPECT_EQ(o["counts"].toObject().size(), 12);
         }},
        {"gap as JSON",
         {"check", gapFile, "--json"},
         3,
         [](const CliRun& r) {
             const QJsonObject o = parse(r.out);
             ASSERT_EQ(o["problems"].toArray().size(), 1);
             const QJsonObject p = o["problems"].toArray()[0].toObject();
             EXPECT_EQ(p["kind"].toString(), "gap");
             EXPECT_EQ(p["severity"].toString(), "error");
             EXPECT_EQ(p["layer"].toString(), "K1");
             EXPECT_DOUBLE_EQ(p["value"].toDouble(), 0.15);
             EXPECT_DOUBLE_EQ(p["limit"].toDouble(), 0.2);
             EXPECT_EQ(p["elements"].toArray(), (QJsonArray{kTrack, 5}));
             EXPECT_GE(p["x"].toInt(), 1950);
             EXPECT_LE(p["x"].toInt(), 2050);
             EXPECT_EQ(o["counts"].toObject()["gap"].toInt(), 1);
             EXPECT_EQ(o["errors"].toInt(), 1);
         }},
        {"gap in German",
         {"check", gapFile, "--language", "de"},
         3,
         [](const CliRun& r) {
             EXPECT_NE(r.out.find("Abstand: K1"), std::string::npos) << r.out;
             EXPECT_NE(r.out.find("0,15 mm, Grenze 0,20 mm"), std::string::npos) << r.out;
             EXPECT_NE(r.out.find("1 Fehler, 0 Warnungen"), std::string::npos) << r.out;
         }},
        {"a looser gap rule", {"check", gapFile, "--gap", "0.15"}, 0, {}},
        {"warnings alone",
         {"check", danglingFile, "--json"},
         0,
         [](const CliRun& r) {
             const QJsonObject o = parse(r.out);
             EXPECT_EQ(o["warnings"].toInt(), 1);
             const QJsonObject p = o["problems"].toArray()[0].toObject();
             EXPECT_EQ(p["kind"].toString(), "dangling");
             EXPECT_EQ(p["severity"].toString(), "warning");
             EXPECT_TRUE(p["value"].isNull());
         }},
        {"damaged file",
         {"check", damaged, "--json"},
         1,
         [](const CliRun& r) {
             EXPECT_TRUE(r.out.empty());
             EXPECT_FALSE(r.err.empty());
         }},
        {"missing file",
         {"check", dir.filePath("none.lay")},
         1,
         [](const CliRun& r) { EXPECT_TRUE(r.out.empty()); }},
        {"no file", {"check"}, 2, {}},
        {"unknown option", {"check", clean, "--spacing", "1"}, 2, {}},
        {"drill without maximum", {"check", clean, "--drill", "0.3"}, 2, {}},
        {"drill minimum above maximum", {"check", clean, "--drill", "2,1"}, 2, {}},
        {"negative gap", {"check", clean, "--gap", "-1"}, 2, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun r = cli(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.more)
            row.more(r);
    }
}

TEST(CheckCli, MillRuleFindsThePlacesOfTheContoursCommand)
{
    QTemporaryDir dir;
    Board b = cleanBoard();
    // SMD pads of their own nets at several distances from the track and from each other.
    const int ys[] = {-1600, -1640, -1700, -1800};
    for (int k = 0; k < 4; ++k)
        b.elements.push_back(
            El{.rec = {.kind = 8, .x = 1300 + 400 * k, .y = ys[k], .size1 = 120, .size2 = 60, .layer = 1}});
    b.elements.push_back(
        El{.rec = {.kind = 8, .x = 1450, .y = -1640, .size1 = 100, .size2 = 60, .layer = 1}});
    const QString lay = writeFile(dir, "mill.lay", layoutFile(b));
    for (const char* width : {"0.5", "1", "2"}) {
        SCOPED_TRACE(width);
        const CliRun check = cli({"check", lay, "--mill", width, "--json"});
        const CliRun contours = cli({"contours", lay, "--layer", "K1", "--width", width, "--json"});
        std::multiset<std::pair<int, int>> fromCheck, fromContours;
        for (const QJsonValue v : parse(check.out)["problems"].toArray()) {
            const QJsonObject p = v.toObject();
            if (p["kind"].toString() == "mill" && p["layer"].toString() == "K1")
                fromCheck.insert({p["x"].toInt(), p["y"].toInt()});
        }
        for (const QJsonValue v : parse(contours.out)["isolation_problems"].toArray())
            fromContours.insert({v.toObject()["x"].toInt(), v.toObject()["y"].toInt()});
        EXPECT_FALSE(fromContours.empty());
        EXPECT_EQ(fromCheck, fromContours);
    }
}
