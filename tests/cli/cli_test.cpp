// Runs the trevok-cli binary as a script would and checks its output, files and exit status.
#include "document/layoutfile.h"
#include "document/undo.h"
#include "output/excellon.h"
#include "output/gerber.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "cli/clirun.h"

using namespace trevok;

namespace {

std::unique_ptr<TObjekt> pad(int x, int y, std::uint8_t layer)
{
    auto p = NewPad({x, y}, 90, ShapeRound, layer, 40);
    p->Clearance = 40;
    return p;
}

/// Two boards; the second holds every reference kind.
TProject sampleProject()
{
    TProject p;
    NewBoard(p, "Platine 1");
    NewBoard(p, "Zweite");
    TBoard& b = *p.Boards[1];
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    b.GroundPlane2 = 1;
    b.Elements.push_back(pad(1000, -1000, 1));
    b.Elements.push_back(pad(1000, -1000, 3));
    b.Elements[0]->Twin = b.Elements[1].get();
    b.Elements[1]->Twin = b.Elements[0].get();
    auto smd = NewSmdPad({2000, -1000}, 150, 3, 80);
    b.Elements.push_back(std::move(smd));
    b.Elements[1]->Connections.push_back(b.Elements[2].get());
    b.Elements[2]->Connections.push_back(b.Elements[1].get());
    auto t = NewTrack(40, 3);
    AddPoint(*t, {1000, -1000});
    AddPoint(*t, {2000, -1000});
    t->Autorouted = 1;
    t->RouteStart = b.Elements[1].get();
    t->RouteEnd = b.Elements[2].get();
    AddGroup(*t, 1);
    b.Elements.push_back(std::move(t));
    b.Elements.push_back(pad(3000, -2000, 1));
    p.Info.Title = "Test \xE4"; // Windows-1252 a-umlaut
    ShowBoard(p, 1);
    return p;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        lay = path("sample.lay");
        TProject p = sampleProject();
        WriteLayoutFile(p, lay.toStdString());
    }
    QString path(const char* name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    QTemporaryDir dir;
    QString lay;
};

QJsonObject json(const CliRun& r)
{
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << r.out;
    return d.object();
}

} // namespace

TEST_F(Cli, HelpAndVersion)
{
    const CliRun h = cli({"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_NE(h.out.find("export gerber"), std::string::npos);
    const CliRun v = cli({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "trevok-cli " TREVOK_VERSION "\n");
}

TEST_F(Cli, InfoJsonCarriesBoardsElementsAndReferences)
{
    const CliRun r = cli({"info", "--json", "--elements", "--language", "en", lay});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = json(r);
    EXPECT_EQ(o["version"].toInt(), 4);
    EXPECT_EQ(o["shownBoard"].toInt(), 1);
    EXPECT_EQ(o["title"].toString(), QString::fromUtf8("Test ä"));
    const QJsonArray boards = o["boards"].toArray();
    ASSERT_EQ(boards.size(), 2);
    const QJsonObject b = boards[1].toObject();
    EXPECT_EQ(b["name"].toString(), QStringLiteral("Zweite"));
    EXPECT_EQ(b["width"].toInt(), 5000);
    EXPECT_FALSE(b["groundPlane1"].toBool());
    EXPECT_TRUE(b["groundPlane2"].toBool());
    EXPECT_EQ(b["counts"].toObject()["pad"].toInt(), 3);
    const QJsonArray els = b["elements"].toArray();
    ASSERT_EQ(els.size(), 5);
    EXPECT_EQ(els[0].toObject()["twin"].toInt(), 1);
    EXPECT_EQ(els[1].toObject()["twin"].toInt(), 0);
    EXPECT_EQ(els[1].toObject()["connections"].toArray(), QJsonArray{2});
    const QJsonObject track = els[3].toObject();
    EXPECT_EQ(track["kind"].toInt(), KindTrack);
    EXPECT_TRUE(track["autorouted"].toBool());
    EXPECT_EQ(track["routeStart"].toInt(), 1);
    EXPECT_EQ(track["routeEnd"].toInt(), 2);
    EXPECT_EQ(track["groups"].toArray(), QJsonArray{1});
    EXPECT_EQ(track["points"].toArray()[1].toArray(), (QJsonArray{2000, -1000}));
    EXPECT_EQ(els[4].toObject()["twin"].toInt(), -1);

    const CliRun plain = cli({"info", "--language", "en", lay});
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("\"Zweite\""), std::string::npos);
}

TEST_F(Cli, ConvertKeepsTheProject)
{
    const QString out = path("copy.lay");
    const CliRun c = cli({"convert", lay, out});
    ASSERT_EQ(c.status, 0) << c.err;
    const CliRun a = cli({"info", "--json", "--elements", lay});
    const CliRun b = cli({"info", "--json", "--elements", out});
    EXPECT_EQ(a.out, b.out);
}

TEST_F(Cli, ExportGerberAndDrillUseTheCoreExports)
{
    const QString gbr = path("k2.gbr");
    const CliRun r = cli({"export", "gerber", lay, "--layer", "K2", "-o", gbr, "--language", "de"});
    ASSERT_EQ(r.status, 0) << r.err;
    TProject p = sampleProject();
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K2);
    o.language = 0;
    QFile f(gbr);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), PlotteGerberfile(*p.Boards[1], o)); // shown board, mirrored

    const QString drl = path("holes.drl");
    const CliRun d = cli({"export", "drill", lay, "--board", "2", "--side", "2", "--unit", "inch", "-o", drl});
    ASSERT_EQ(d.status, 0) << d.err;
    DrillOptions dop = DrillOptions::forUnit(true);
    dop.side2 = true;
    QFile g(drl);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll().toStdString(), WriteExcellon(*p.Boards[1], dop));
}

TEST_F(Cli, BadInputGivesAMessageAndNoFile)
{
    const QString out = path("out.gbr");
    CliRun r = cli({"export", "gerber", path("missing.lay"), "--layer", "K1", "-o", out, "--language", "de"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Datei nicht gefunden"), std::string::npos) << r.err;

    QFile junk(path("junk.lay"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("hello world");
    junk.close();
    r = cli({"info", "--language", "en", path("junk.lay")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("\"junk.lay\" is not a Trevok file."), std::string::npos) << r.err;

    r = cli({"export", "gerber", lay, "--layer", "K9", "-o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown layer"), std::string::npos);
    r = cli({"export", "gerber", lay, "--layer", "K1", "--board", "3", "-o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("out of range"), std::string::npos);
    r = cli({"export", "gerber", lay, "--layer", "K1", "-o", path("no/such/folder/out.gbr")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(out));

    // A damaged file: reading stops, nothing is written.
    QFile whole(lay);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(path("cut.lay"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    r = cli({"export", "drill", path("cut.lay"), "-o", out, "--language", "fr"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Erreur de lecture"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(Cli, OldFontTextsWarnOrConvert)
{
    TProject p;
    NewBoard(p, "Platine 1");
    auto t = std::make_unique<TObjekt>();
    t->Kind = KindFontText;
    t->Layer = 1;
    t->X = 500;
    t->Y = -500;
    t->Size1 = 900;
    t->Size2 = -700;
    t->Width = -20;
    t->Text = "AB";
    p.Boards[0]->Elements.push_back(std::move(t));
    const QString file = path("font.lay");
    WriteLayoutFile(p, file.toStdString());

    const QString out = path("font.gbr");
    CliRun r = cli({"export", "gerber", file, "--layer", "K1", "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("1 old font text"), std::string::npos) << r.err;
    QFile a(out);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    const QByteArray without = a.readAll();
    a.close();
    r = cli({"export", "gerber", file, "--layer", "K1", "-o", out, "--convert-font-texts"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("old font text"), std::string::npos);
    QFile b(out);
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_GT(b.readAll().count("D01*"), without.count("D01*")); // the converted text is drawn
}

TEST_F(Cli, MacroInfoReportsCommentLines)
{
    ElementList els;
    els.push_back(pad(0, 0, 5)); // layer 5 of macro files goes to 3
    const QString mac = path("dip.lmk");
    WriteMacroFile(mac.toStdString(), els, "DIP 8", "7.62 mm rows");
    const CliRun r = cli({"info", "--json", "--elements", mac});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = json(r);
    EXPECT_EQ(o["comment1"].toString(), QStringLiteral("DIP 8"));
    EXPECT_EQ(o["comment2"].toString(), QStringLiteral("7.62 mm rows"));
    const QJsonArray boards = o["boards"].toArray();
    ASSERT_EQ(boards.size(), 1);
    EXPECT_EQ(boards[0].toObject()["name"].toString(), QStringLiteral("dip"));
    EXPECT_EQ(boards[0].toObject()["elements"].toArray()[0].toObject()["layer"].toInt(), 3);
}
