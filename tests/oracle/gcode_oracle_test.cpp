// gcode-toolpath reads our G-code: the cutting moves must retrace the contours exactly, no cut
// may run at safe height and no rapid move may run below it.
#include "document/project.h"
#include "output/gcode.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NODE_PATH"), modules);
    p.setProcessEnvironment(env);
    p.start(node, {source + QStringLiteral("/tests/oracle/gcode_segments.js"), file});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<Move> moves;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
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

    const std::vector<Move> iso =
        readMoves(QString::fromStdString(write(dir, "iso.nc", IsolationGcode(b, result->contours, m, o))));
    ASSERT_FALSE(iso.empty());
    const std::vector<std::vector<TPoint>> cuts = cuttingPaths(iso, o, o.depthMm, b.BoardHeight);
    ASSERT_EQ(cuts.size(), result->contours.size());
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        std::vector<TPoint> closed = result->contours[i];
        closed.push_back(closed.front());
        EXPECT_EQ(cuts[i], closed) << "contour " << i;
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

    const std::vector<Move> edge =
        readMoves(QString::fromStdString(write(dir, "outline.nc", OutlineGcode(b, LayerB1, false, o))));
    const auto outlineCuts = cuttingPaths(edge, o, o.outlineDepthMm, b.BoardHeight);
    ASSERT_EQ(outlineCuts.size(), 1u);
    EXPECT_EQ(outlineCuts[0], b.Elements[6]->Points);
}
