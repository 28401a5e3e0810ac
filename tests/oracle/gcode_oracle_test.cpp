// gcode-toolpath reads our G-code: the cutting moves must retrace the contours exactly, no cut
// may run at safe height and no rapid move may run below it.
#include "clirun.h"
#include "document/project.h"
#include "output/gcode.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace trevok;

namespace
{

struct Move {
    bool rapid = false;
    double x1, y1, z1, x2, y2, z2;
};

/// The straight moves gcode-toolpath makes of the file; fails the test when it cannot run.
std::vector<Move> readMoves(const QString& file)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString source = QStringLiteral(TREVOK_SOURCE_DIR);
    const QString modules = source + QStringLiteral("/tools/node/node_modules");
    EXPECT_FALSE(node.isEmpty()) << "node is not installed (scripts/setup-deps.sh installs it)";
    EXPECT_TRUE(QFile::exists(modules + QStringLiteral("/gcode-toolpath/package.json")))
        << "gcode-toolpath is missing in tools/node (scripts/setup-deps.sh installs it)";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NODE_PATH"), modules);
    const CliRun r =
        runProgram(node, {source + QStringLiteral("/tests/oracle/gcode_segments.js"), file}, env);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<Move> moves;
    for (const QByteArray& line : QByteArray::fromStdString(r.out).split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        EXPECT_FALSE(o.contains("arc"));
        EXPECT_EQ(o["units"].toString(), "G21");
        EXPECT_EQ(o["distance"].toString(), "G90");
        const QJsonObject a = o["v1"].toObject(), b = o["v2"].toObject();
        moves.push_back({o["motion"].toString() == "G0", a["x"].toDouble(), a["y"].toDouble(),
                         a["z"].toDouble(), b["x"].toDouble(), b["y"].toDouble(), b["z"].toDouble()});
    }
    return moves;
}

std::string write(const QTemporaryDir& dir, const char* name, const std::string& bytes)
{
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

/// Checks heights and returns the cutting paths (runs of cuts at depth) in board units.
std::vector<std::vector<TPoint>> cuttingPaths(const std::vector<Move>& moves, const GcodeOptions& o,
                                              double depth, std::int32_t height)
{
    std::vector<std::vector<TPoint>> paths;
    bool cutting = false;
    for (const Move& m : moves) {
        const bool sideways = m.x1 != m.x2 || m.y1 != m.y2;
        if (m.rapid) {
            EXPECT_FALSE(m.z2 < m.z1 - 1e-9) << "a rapid move goes down";
            if (sideways)
                EXPECT_GE(m.z1, o.safeZMm - 1e-9) << "a rapid move travels below safe height";
            cutting = false;
            continue;
        }
        if (!sideways) {
            EXPECT_NEAR(m.z2, -depth, 1e-9) << "a plunge ends elsewhere than at the cutting depth";
            cutting = false;
            continue;
        }
        EXPECT_NEAR(m.z1, -depth, 1e-9) << "a cut runs above the cutting depth";
        EXPECT_NEAR(m.z2, -depth, 1e-9);
        auto unit = [&](double x, double y) {
            return TPoint{static_cast<std::int32_t>(std::lround(x * 100)),
                          static_cast<std::int32_t>(std::lround(y * 100)) - height};
        };
        if (!cutting)
            paths.push_back({unit(m.x1, m.y1)});
        paths.back().push_back(unit(m.x2, m.y2));
        cutting = true;
    }
    return paths;
}

} // namespace

TEST(GcodeOracle, CutsRetraceTheContoursAndHeightsAreSafe)
{
    TBoard b;
    b.BoardWidth = 6000;
    b.BoardHeight = 4000;
    auto t1 = NewTrack(60, LayerK1);
    AddPoint(*t1, {500, -500});
    AddPoint(*t1, {3000, -2500});
    b.Elements.push_back(std::move(t1));
    auto t2 = NewTrack(60, LayerK1);
    AddPoint(*t2, {500, -2500});
    AddPoint(*t2, {3000, -500});
    b.Elements.push_back(std::move(t2));
    b.Elements.push_back(NewCircle({4500, -2000}, 700, 0, LayerK1, 500));
    b.Elements.push_back(NewPad({4500, -2000}, 150, ShapeOctagon, LayerK1, 40));
    b.Elements.push_back(NewPad({1000, -3500}, 100, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({1000, -3500}, 100, ShapeRound, LayerK2, 40));
    b.Elements[4]->Twin = b.Elements[5].get();
    b.Elements[5]->Twin = b.Elements[4].get();
    auto outline = NewTrack(20, LayerB1);
    for (TPoint p : {TPoint{0, 0}, TPoint{6000, 0}, TPoint{6000, -4000}, TPoint{0, -4000}, TPoint{0, 0}})
        AddPoint(*outline, p);
    b.Elements.push_back(std::move(outline));

    MillingOptions m;
    m.width = 30;
    const auto result = ComputeIsolation(b.Elements, m);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->contours.size(), 5u); // the cross, both sides of the ring, the pad in it, the lone pad
    GcodeOptions o;
    o.depthMm = 0.15;
    o.safeZMm = 3.0;
    o.mirror = MillMirror::None;
    o.drills = DrillFiles::One;
    QTemporaryDir dir;

    const std::vector<Move> iso = readMoves(
        QString::fromStdString(write(dir, "iso.nc", IsolationGcode(b, result->contours, {}, m, o))));
    ASSERT_FALSE(iso.empty());
    const std::vector<std::vector<TPoint>> cuts = cuttingPaths(iso, o, o.depthMm, b.BoardHeight);
    ASSERT_EQ(cuts.size(), result->contours.size());
    // The job order may visit the contours in any order and enter each at any of its points.
    std::vector<bool> found(cuts.size(), false);
    for (const Contour& c : result->contours) {
        bool matched = false;
        for (std::size_t i = 0; i < cuts.size() && !matched; ++i) {
            if (found[i] || cuts[i].size() != c.size() + 1 || cuts[i].front() != cuts[i].back())
                continue;
            const auto at = std::find(c.begin(), c.end(), cuts[i].front());
            if (at == c.end())
                continue;
            std::vector<TPoint> rotated(at, c.end());
            rotated.insert(rotated.end(), c.begin(), at);
            rotated.push_back(rotated.front());
            matched = found[i] = rotated == cuts[i];
        }
        EXPECT_TRUE(matched) << "a contour of " << c.size() << " points is not cut as it is";
    }

    const std::vector<SideFile> drills = DrillGcode(b, LayerK1, o);
    ASSERT_EQ(drills.size(), 1u);
    EXPECT_EQ(drills[0].name, "DRILLING.NC");
    const std::vector<Move> drill =
        readMoves(QString::fromStdString(write(dir, "drill.nc", drills[0].bytes)));
    EXPECT_TRUE(cuttingPaths(drill, o, o.drillDepthMm, b.BoardHeight).empty());
    int plunges = 0;
    for (const Move& mv : drill)
        plunges += !mv.rapid && mv.z2 < 0;
    EXPECT_EQ(plunges, 2); // the pad in the ring and the plated pair
}

TEST(GcodeOracle, OutlineStaysOutsideTheBoardInDepthStepsWithTabs)
{
    TBoard b;
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    // A drawn outline 1 mm inside the board edge, selected, and a part outline that is not.
    auto drawn = NewTrack(20, LayerB1);
    for (TPoint p :
         {TPoint{100, -100}, TPoint{4900, -100}, TPoint{4900, -2900}, TPoint{100, -2900}, TPoint{100, -100}})
        AddPoint(*drawn, p);
    drawn->Selected = true;
    b.Elements.push_back(std::move(drawn));
    auto part = NewTrack(20, LayerB1);
    AddPoint(*part, {2000, -1000});
    AddPoint(*part, {3000, -1000});
    b.Elements.push_back(std::move(part));
    b.Elements.push_back(NewPad({2500, -1500}, 100, ShapeRound, LayerK1, 40));

    struct Case {
        OutlineSource source;
        double tool, step, depth, tabWidth, tabHeight;
        int tabs;
        TRect keepOut; // the board the cutter must not enter (units)
    };
    const Case cases[] = {
        {OutlineSource::Board, 2.0, 0.6, 1.8, 2.0, 1.0, 4, {0, -3000, 5000, 0}},
        {OutlineSource::Board, 1.0, 0.5, 1.6, 3.0, 0.4, 6, {0, -3000, 5000, 0}},
        {OutlineSource::Selected, 1.5, 0.7, 1.8, 1.0, 0.8, 3, {100, -2900, 4900, -100}},
        {OutlineSource::Board, 2.0, 2.0, 1.8, 2.0, 1.0, 0, {0, -3000, 5000, 0}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tool " << c.tool << " step " << c.step << " tabs " << c.tabs);
        GcodeOptions o;
        o.outline = c.source;
        o.outlineToolMm = c.tool;
        o.outlineStepMm = c.step;
        o.outlineDepthMm = c.depth;
        o.tabWidthMm = c.tabWidth;
        o.tabHeightMm = c.tabHeight;
        o.tabs = c.tabs;
        const auto bytes = OutlineGcode(b, o);
        ASSERT_TRUE(bytes);
        const std::vector<Move> moves = readMoves(QString::fromStdString(write(dir, "outline.nc", *bytes)));
        ASSERT_FALSE(moves.empty());
        const double tabTop = -c.depth + c.tabHeight;
        std::vector<double> levels;  // heights of sideways cuts
        std::vector<double> tabRuns; // lengths cut at the tab top on the deepest step
        double run = 0;
        for (const Move& m : moves) {
            const bool sideways = m.x1 != m.x2 || m.y1 != m.y2;
            if (m.rapid) {
                EXPECT_FALSE(m.z1 < 0 && sideways) << "a rapid move inside the material";
                continue;
            }
            if (!sideways) {
                if (run > 0)
                    tabRuns.push_back(run);
                run = 0;
                continue;
            }
            EXPECT_NEAR(m.z1, m.z2, 1e-9) << "a cut that slopes";
            if (std::find_if(levels.begin(), levels.end(),
                             [&](double z) { return std::abs(z - m.z1) < 1e-6; }) == levels.end())
                levels.push_back(m.z1);
            if (std::abs(m.z1 - tabTop) < 1e-6 && m.z1 > -c.depth + 1e-6)
                run += std::hypot(m.x2 - m.x1, m.y2 - m.y1);
            // The cutter's edge stays outside the board: its centre keeps the radius away.
            for (int k = 0; k <= 20; ++k) {
                const double x = (m.x1 + (m.x2 - m.x1) * k / 20) * 100;
                const double y = (m.y1 + (m.y2 - m.y1) * k / 20) * 100 - b.BoardHeight;
                const double dx = std::max({c.keepOut.left - x, 0.0, x - c.keepOut.right});
                const double dy = std::max({c.keepOut.top - y, 0.0, y - c.keepOut.bottom});
                EXPECT_GE(std::hypot(dx, dy), c.tool * 50 - 1.0)
                    << "the cutter enters the board at " << x << ", " << y;
            }
        }
        // Depth steps as set, down to the outline depth, and the tab top where the steps pass it.
        std::vector<double> expected;
        for (double z = c.step; z < c.depth + c.step - 1e-9; z += c.step)
            expected.push_back(-std::min(z, c.depth));
        if (c.tabs > 0 && tabTop > -c.depth)
            expected.push_back(tabTop);
        std::sort(levels.begin(), levels.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(levels.size(), expected.size());
        for (std::size_t i = 0; i < levels.size(); ++i)
            EXPECT_NEAR(levels[i], expected[i], 0.006);
        // Every step below the tab top leaves each tab; each tab spans its width plus the cutter.
        int below = 0;
        for (double z : expected)
            below += z < tabTop - 1e-6;
        ASSERT_EQ(tabRuns.size(), std::size_t(c.tabs * below));
        for (double r : tabRuns)
            EXPECT_NEAR(r, c.tabWidth + c.tool, 0.05);
    }
    GcodeOptions none;
    none.outline = OutlineSource::Selected;
    b.Elements[0]->Selected = false;
    EXPECT_FALSE(OutlineGcode(b, none)) << "nothing selected";
}
