// The milling commands of trevok-cli: contours, HPGL and G-code files, bad input.
#include "document/layoutfile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "clirun.h"

#include <cmath>
#include <csignal>
#include <thread>

using namespace trevok;

namespace
{

/// Two pads joined by a track on K1, a lone pad close to the track (0.3 mm from its edge), a
/// through-plated pair and a board outline of two tracks and an arc on B1.
QString writeMillBoard(const QTemporaryDir& dir)
{
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    auto pad = [&](int x, int y, std::uint8_t layer, int drill) {
        b.Elements.push_back(NewPad({x, y}, 80, ShapeRound, layer, drill));
        return b.Elements.back().get();
    };
    pad(1000, -1000, LayerK1, 40);
    pad(3000, -1000, LayerK1, 40);
    auto t = NewTrack(50, LayerK1);
    AddPoint(*t, {1000, -1000});
    AddPoint(*t, {3000, -1000});
    b.Elements.push_back(std::move(t));
    pad(2000, -1135, LayerK1, 30); // its edge 30 units below the track's edge
    TObjekt* a = pad(4000, -2000, LayerK1, 40);
    TObjekt* c = pad(4000, -2000, LayerK2, 40);
    a->Twin = c;
    c->Twin = a;
    auto o = NewTrack(20, LayerB1);
    AddPoint(*o, {100, -100});
    AddPoint(*o, {4900, -100});
    AddPoint(*o, {4900, -2900});
    b.Elements.push_back(std::move(o));
    b.Elements.push_back(NewCircle({2500, -2500}, 310, 0, LayerB1, 290));
    const QString path = dir.filePath("mill.lay");
    SaveProject(p, path.toStdString());
    return path;
}

} // namespace

TEST(MillCli, ContoursCountJsonAndProblems)
{
    QTemporaryDir dir;
    const QString lay = writeMillBoard(dir);

    CliRun r = cli({"contours", lay, "--layer", "K1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3\n"); // the joined pads, the lone pad, the plated pad

    r = cli({"contours", lay, "--layer", "K1", "--width", "0.4", "--json", "--language", "en"});
    EXPECT_EQ(r.status, 3); // 20 units each side close the 30-unit gap
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(o["count"].toInt(), 2);
    ASSERT_EQ(o["contours"].toArray().size(), 2);
    EXPECT_GE(o["contours"].toArray()[0].toArray().size(), 3);
    const QJsonArray problems = o["isolation_problems"].toArray();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_NEAR(problems[0].toObject()["x"].toInt(), 2000, 40);
    EXPECT_NEAR(problems[0].toObject()["y"].toInt(), -1040, 20);
    EXPECT_EQ(problems[0].toObject()["kind"].toString(), "no_passage");
    EXPECT_TRUE(o["plane_joins"].toArray().isEmpty());
    EXPECT_NE(r.err.find("1 place where the mill cannot pass"), std::string::npos) << r.err;

    r = cli({"contours", lay, "--layer", "K2", "--width", "0.2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");

    // The lone plated pad with three passes: two rings, each a loop 0.2 mm further out.
    r = cli({"contours", lay, "--layer", "K2", "--width", "0.2", "--passes", "3", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    const QJsonArray rings =
        QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object()["passes"].toArray();
    ASSERT_EQ(rings.size(), 2);
    for (int k = 0; k < 2; ++k) {
        const QJsonArray ring = rings[k].toArray();
        ASSERT_GE(ring.size(), 3);
        EXPECT_EQ(ring.first(), ring.last()); // a loop
        for (const QJsonValue& v : ring)      // the pad at (4000, -2000), 80 in radius, grown by 10
            EXPECT_NEAR(std::hypot(v.toArray()[0].toInt() - 4000, v.toArray()[1].toInt() + 2000),
                        80 + 10 + 20 * (k + 1), 2.5);
    }
    r = cli({"contours", lay, "--layer", "K2", "--passes", "3"});
    EXPECT_EQ(r.status, 2); // further passes need a width
}

TEST(MillCli, BadInputIsRefusedClearly)
{
    QTemporaryDir dir;
    const QString lay = writeMillBoard(dir);
    struct Case {
        QStringList args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"contours", lay}, 2, "--layer"},
        {{"contours", lay, "--layer", "B1"}, 2, "K1 or K2"},
        {{"contours", lay, "--layer", "K1", "--width", "5"}, 2, "4.99"},
        {{"contours", lay, "--layer", "K1", "--width", "x"}, 2, "--width"},
        {{"contours", dir.filePath("none.lay"), "--layer", "K1"}, 1, "not found"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args + QStringList{"--language", "en"});
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }

    // An empty copper layer is a warning and an error status.
    TProject p;
    NewBoard(p, "Platine 1");
    const QString empty = dir.filePath("empty.lay");
    SaveProject(p, empty.toStdString());
    const CliRun r = cli({"contours", empty, "--layer", "K1", "--language", "en"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The selected layer is empty"), std::string::npos) << r.err;
}

TEST(MillCli, HpglFilesBesideTheIsolationFile)
{
    QTemporaryDir dir;
    const QString lay = writeMillBoard(dir);
    const QString out = dir.filePath("iso.plt");
    CliRun r = cli({"export", "hpgl", lay, "--layer", "K1", "-o", out, "--drills", "per-diameter",
                    "--centre-marks", "--ref-holes", "UL,OR", "--mirror", "x", "--language", "de"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_TRUE(QFile::exists(dir.filePath("BOHR_80.PLT"))); // drill radius 40
    EXPECT_TRUE(QFile::exists(dir.filePath("BOHR_60.PLT")));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("PT0;\r\nPU;\r\n"));
    EXPECT_EQ(bytes.count("PD;"), 2 + 3 + 4); // two registration holes, three contours, four centre marks

    r = cli({"export", "hpgl", lay, "--layer", "K1", "-o", dir.filePath("one.plt"), "--drills", "one",
             "--language", "en", "--width", "0.4"});
    EXPECT_EQ(r.status, 3) << r.err; // written, but the lone pad is not isolated
    EXPECT_TRUE(QFile::exists(dir.filePath("DRILLING.PLT")));

    r = cli({"export", "hpgl-outline", lay, "--layer", "B1", "-o", dir.filePath("outline.plt"), "--ref-holes",
             "none"});
    EXPECT_EQ(r.status, 0) << r.err;
    QFile o(dir.filePath("outline.plt"));
    ASSERT_TRUE(o.open(QIODevice::ReadOnly));
    EXPECT_EQ(o.readAll().count("PD;"), 2); // the track and the circle

    r = cli({"export", "hpgl-outline", lay, "--outline", "board", "-o", dir.filePath("board.plt"), "--units",
             "mm"});
    EXPECT_EQ(r.status, 0) << r.err;
    QFile bo(dir.filePath("board.plt"));
    ASSERT_TRUE(bo.open(QIODevice::ReadOnly));
    const QByteArray board = bo.readAll();
    EXPECT_EQ(board.count("PD;"), 2);                // the registration hole and the board edge
    EXPECT_TRUE(board.contains("PA2000,1200;\r\n")); // 50 x 30 mm at 40 units per mm

    // Three passes: the three contours, then every path of the further passes once.
    r = cli({"export", "hpgl", lay, "--layer", "K1", "-o", dir.filePath("passes.plt"), "--width", "0.2",
             "--passes", "3", "--ref-holes", "none"});
    QFile pp(dir.filePath("passes.plt"));
    ASSERT_TRUE(pp.open(QIODevice::ReadOnly));
    const CliRun counts = cli({"contours", lay, "--layer", "K1", "--width", "0.2", "--passes", "3"});
    const QStringList numbers = QString::fromStdString(counts.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(numbers.size(), 2) << counts.out;
    EXPECT_EQ(numbers[0], "3");
    EXPECT_GE(numbers[1].toInt(), 2 * 3); // a ring of each piece per pass at least
    EXPECT_EQ(pp.readAll().count("PD;"), 3 + numbers[1].toInt());

    r = cli(
        {"export", "hpgl-outline", lay, "--layer", "B2", "-o", dir.filePath("none.plt"), "--language", "en"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No elements selected for the PCB outline"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(dir.filePath("none.plt")));

    // A file that cannot be written is reported, not passed over.
    r = cli(
        {"export", "hpgl", lay, "--layer", "K1", "-o", dir.filePath("missing/iso.plt"), "--language", "en"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos) << r.err;

    for (const QStringList& bad : {QStringList{"--ref-holes", "XX"}, QStringList{"--mirror", "z"},
                                   QStringList{"--drills", "all"}, QStringList{"--texts", "bold"}}) {
        const QString target = dir.filePath("bad.plt");
        r = cli(QStringList{"export", "hpgl", lay, "--layer", "K1", "-o", target} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(target));
    }
}

TEST(MillCli, GcodeWithDrillAndOutlineFiles)
{
    QTemporaryDir dir;
    const QString lay = writeMillBoard(dir);
    const QString out = dir.filePath("iso.nc");
    CliRun r =
        cli({"export",       "gcode",           lay,  "--layer",    "K1",  "-o",        out,     "--depth",
             "0.2",          "--safe-z",        "5",  "--feed",     "300", "--spindle", "20000", "--drills",
             "per-diameter", "--outline-layer", "B1", "--language", "de"});
    EXPECT_EQ(r.status, 0) << r.err;
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray g = f.readAll();
    EXPECT_TRUE(g.contains("G21\r\nG90\r\n"));
    EXPECT_TRUE(g.contains("M3 S20000\r\n"));
    EXPECT_TRUE(g.contains("G1 Z-0.20 F60.00\r\n"));
    EXPECT_TRUE(g.contains(" F300.00\r\n"));
    EXPECT_EQ(g.count("G0 Z5.00"), 1 + 3); // the start and a retract after each of three contours
    for (const char* name : {"BOHR_80.NC", "BOHR_60.NC", "KONTUR.NC"})
        EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name;

    // Further passes, the board rectangle as outline by default, and the job's figures.
    const QString passes = dir.filePath("passes.nc");
    r = cli({"export", "gcode", lay, "--layer", "K2", "-o", passes, "--width", "0.2", "--passes", "3",
             "--overlap", "50", "--json", "--language", "en"});
    EXPECT_EQ(r.status, 0) << r.err;
    QFile pf(passes);
    ASSERT_TRUE(pf.open(QIODevice::ReadOnly));
    const QByteArray pg = pf.readAll();
    EXPECT_EQ(pg.count("G0 Z2.00"), 1 + 3); // the plated pad: one contour a pass
    EXPECT_TRUE(pg.contains("M3 S12000\r\nG4 P2.00\r\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath("OUTLINE.NC")));
    const QJsonObject job = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    // From the origin to the pad at (40, 10) mm: about 41 mm, and the outline's travel.
    EXPECT_GT(job["travel_mm"].toDouble(), 40.0);
    EXPECT_GT(job["cut_mm"].toDouble(), 3 * 160.0); // three outline steps round 50 x 30 mm
    EXPECT_GT(job["minutes"].toDouble(), job["cut_mm"].toDouble() / 200.0);

    for (const QStringList& bad :
         {QStringList{"--depth", "0"}, QStringList{"--feed", "-1"}, QStringList{"--outline-layer", "K1"},
          QStringList{"--safe-z", "abc"}, QStringList{"--spindle", "0"},
          QStringList{"--width", "0", "--passes", "3"}, QStringList{"--width", "0.2", "--passes", "11"},
          QStringList{"--width", "0.2", "--overlap", "95"}, QStringList{"--outline", "selected"},
          QStringList{"--outline", "all"}, QStringList{"--tabs", "-1"}}) {
        const QString target = dir.filePath("bad.nc");
        r = cli(QStringList{"export", "gcode", lay, "--layer", "K1", "-o", target} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(target));
    }
}

TEST(MillCli, DamagedCircleInTheBoardContourIsMilledNotAFailure)
{
    // A circle of negative radius (only a damaged file has one) on the contour layer.
    QTemporaryDir dir;
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    b.Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewCircle({2500, -1500}, -5030, 0, LayerB1, -5070));
    const QString lay = dir.filePath("damaged.lay");
    SaveProject(p, lay.toStdString());
    struct Case {
        QStringList args;
        QString written;
    };
    const Case cases[] = {
        {{"export", "hpgl-outline", lay, "--layer", "B1", "-o", dir.filePath("outline.plt")}, "outline.plt"},
        {{"export", "gcode", lay, "--layer", "K1", "-o", dir.filePath("iso.nc"), "--outline-layer", "B1",
          "--language", "en"},
         "OUTLINE.NC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        QFile f(dir.filePath(c.written));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        // The circle of radius 50.5 mm: 80 steps, 81 points along it.
        const QByteArray text = f.readAll();
        EXPECT_GE(text.count(c.written.endsWith(".plt") ? "PA" : "G1 X"), 80) << text.left(400).toStdString();
    }
}

TEST(MillCli, InterruptStopsTheComputationAndWritesNothing)
{
    // The computation holds at the start of the further passes until it is cancelled, and says
    // so on stderr: the interrupt comes at a known point, whatever the speed of the machine.
    QTemporaryDir dir;
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 20000;
    b.BoardHeight = 20000;
    b.Elements.push_back(NewPad({10000, -10000}, 80, ShapeRound, LayerK1, 40));
    const QString lay = dir.filePath("big.lay");
    SaveProject(p, lay.toStdString());
    for (const char* format : {"hpgl", "gcode"}) {
        SCOPED_TRACE(format);
        const QString out = dir.filePath(QStringLiteral("iso.") + format);
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TREVOK_TEST_HOLD_STAGE"), QStringLiteral("1"));
        cli.setProcessEnvironment(env);
        cli.start(cliProgram(), {"export", format, lay, "--layer", "K1", "-o", out, "--width", "0.2",
                                 "--passes", "0", "--overlap", "90", "--language", "en"});
        ASSERT_TRUE(cli.waitForStarted());
        cli.setReadChannel(QProcess::StandardError);
        QByteArray said;
        while (!said.contains("holding in stage 1") && cli.waitForReadyRead(60000))
            said += cli.readAllStandardError();
        ASSERT_TRUE(said.contains("holding in stage 1")) << said.toStdString();
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
        ASSERT_TRUE(cli.waitForFinished(60000)) << "not stopped by the interrupt";
        said += cli.readAllStandardError();
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130);
        EXPECT_TRUE(said.contains("cancelled; no file was written")) << said.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_TRUE(QDir(dir.path()).entryList({"iso*", "*.tmp*"}, QDir::Files).isEmpty());
    }
}
