// Runs the trevok-cli binary as a script would and checks its output, files and exit status.
#include "document/layoutfile.h"
#include "document/undo.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "clirun.h"

using namespace trevok;

namespace
{

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

class Cli : public ::testing::Test
{
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

/// One operation of a Gerber file: D01 stroke to, D02 move to, D03 flash at (x, y) mm with the
/// aperture then chosen ("C,1.8", "R,1.5X0.8").
struct GerberOp {
    char d;
    double x, y;
    std::string aperture;
};
struct GerberRead {
    std::vector<GerberOp> ops;
    std::string dump; // the operations as text, for messages
};

/// A reader of the few RS-274X statements the tests need: the coordinate format, the unit, the
/// aperture definitions and selections, and the operations with modal coordinates.
GerberRead readGerber(const QByteArray& file)
{
    GerberRead out;
    const QString text = QString::fromLatin1(file);
    const QRegularExpressionMatch fs = QRegularExpression(R"(%FSLAX(\d)(\d)Y\d\d\*%)").match(text);
    EXPECT_TRUE(fs.hasMatch());
    double scale = std::pow(10.0, -fs.captured(2).toInt());
    if (text.contains(QLatin1String("%MOIN*%")))
        scale *= 25.4;
    std::map<int, std::string> apertures;
    for (const QRegularExpressionMatch& m :
         QRegularExpression(R"(%ADD(\d+)([A-Z],[0-9.X]+)\*%)").globalMatch(text)) {
        // "C,1.800" and "C,1.8" are one aperture: numbers are compared as numbers.
        const QStringList parts = m.captured(2).mid(2).split(QLatin1Char('X'));
        QStringList numbers;
        for (const QString& p : parts)
            numbers << QString::number(p.toDouble());
        apertures[m.captured(1).toInt()] =
            (m.captured(2).left(2) + numbers.join(QLatin1Char('X'))).toStdString();
    }
    double x = 0, y = 0;
    std::string aperture;
    const QRegularExpression op(R"(^(?:G0?[123]|G54)?(?:X(-?\d+))?(?:Y(-?\d+))?D0?(\d+)\*$)");
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        const QRegularExpressionMatch m = op.match(line);
        if (!m.hasMatch())
            continue;
        const int code = m.captured(3).toInt();
        if (code >= 10) {
            aperture = apertures[code];
            continue;
        }
        if (!m.captured(1).isEmpty())
            x = m.captured(1).toDouble() * scale;
        if (!m.captured(2).isEmpty())
            y = m.captured(2).toDouble() * scale;
        out.ops.push_back({static_cast<char>('0' + code), x, y, aperture});
        out.dump += "D0" + std::to_string(code) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
                    aperture + "\n";
    }
    return out;
}

/// The holes of an Excellon file whose numbers carry the three decimals of its FILE_FORMAT
/// comment and no decimal point, in the file's unit.
std::vector<std::pair<double, double>> readExcellonHoles(const QByteArray& file)
{
    std::vector<std::pair<double, double>> holes;
    const QString text = QString::fromLatin1(file);
    const QRegularExpressionMatch format = QRegularExpression(R"(;FILE_FORMAT=\d:(\d))").match(text);
    EXPECT_TRUE(format.hasMatch());
    const double scale = std::pow(10.0, -format.captured(1).toInt());
    for (const QRegularExpressionMatch& m :
         QRegularExpression(R"(^X(-?\d+)Y(-?\d+)\r?$)", QRegularExpression::MultilineOption)
             .globalMatch(text))
        holes.emplace_back(m.captured(1).toDouble() * scale, m.captured(2).toDouble() * scale);
    return holes;
}

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
    for (const char* command : {"export gerber", "export drill", "export fab", "export image", "export hpgl",
                                "export gcode", "route", "print", "--centre", "--offset X,Y"})
        EXPECT_NE(h.out.find(command), std::string::npos) << command;
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

TEST_F(Cli, ExportGerberAndDrillWriteTheShownBoardsCopperAndHoles)
{
    // What the files must hold, worked out from the sample by hand and read back with a reader
    // that knows only the file formats: the shown board is the second (50 x 30 mm); its side 2
    // holds the plated pad (1.8 mm, at 10 mm from the left and 10 mm from the top), the SMD pad
    // (1.5 x 0.8 mm, at 20 mm) and the 0.4 mm track between them; the pad of side 1 (at 30, 20 mm
    // from the top) has a 0.8 mm hole of its own.
    const QString gbr = path("k2.gbr");
    const CliRun r = cli({"export", "gerber", lay, "--layer", "K2", "-o", gbr, "--language", "de"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QByteArray gerber = readAll(gbr);
    EXPECT_TRUE(gerber.contains("%LNKUPFERSEITE2*%")) << "the German layer name";
    EXPECT_TRUE(gerber.contains("G36*")) << "the ground plane of side 2";
    const GerberRead g = readGerber(gerber);
    auto at = [&](double x, double y, char d, const char* aperture) {
        return std::any_of(g.ops.begin(), g.ops.end(), [&](const GerberOp& op) {
            return op.d == d && std::abs(op.x - x) < 1e-6 && std::abs(op.y - y) < 1e-6 &&
                   op.aperture == aperture;
        });
    };
    // y upwards from the board's lower edge, x not mirrored: the command line's default.
    EXPECT_TRUE(at(10, 20, '3', "C,1.8") || at(10, 20, '1', "C,1.8")) << g.dump;
    EXPECT_TRUE(at(20, 20, '3', "R,1.5X0.8")) << g.dump;
    EXPECT_TRUE(at(10, 20, '2', "C,0.4") && at(20, 20, '1', "C,0.4")) << "the track\n" << g.dump;
    for (const GerberOp& op : g.ops)
        EXPECT_FALSE(std::abs(op.x - 30) < 0.5 && std::abs(op.y - 10) < 0.5) << "a side 1 pad on side 2";

    const QString drl = path("holes.drl");
    const CliRun d =
        cli({"export", "drill", lay, "--board", "2", "--side", "2", "--unit", "inch", "-o", drl});
    ASSERT_EQ(d.status, 0) << d.err;
    // Drilled from side 2: x from the right edge, 40 and 20 mm; in inches to three decimals.
    const QByteArray drill = readAll(drl);
    EXPECT_TRUE(drill.contains("\r\nINCH,TZ\r\n")) << drill.toStdString();
    const QRegularExpressionMatch tool =
        QRegularExpression(R"(\r\nT1C([0-9.]+)\r\n)").match(QString::fromLatin1(drill));
    ASSERT_TRUE(tool.hasMatch()) << drill.toStdString();
    EXPECT_NEAR(tool.captured(1).toDouble(), 0.8 / 25.4, 1e-4) << "one tool of 0.8 mm";
    const std::vector<std::pair<double, double>> holes = readExcellonHoles(drill);
    const std::vector<std::pair<double, double>> want = {{40 / 25.4, 20 / 25.4}, {20 / 25.4, 10 / 25.4}};
    ASSERT_EQ(holes.size(), want.size()) << drill.toStdString();
    for (const auto& [x, y] : want)
        EXPECT_TRUE(std::any_of(
            holes.begin(), holes.end(),
            [&](const auto& h) { return std::abs(h.first - x) < 6e-4 && std::abs(h.second - y) < 6e-4; }))
            << x << ", " << y << "\n"
            << drill.toStdString();
}

TEST_F(Cli, EveryGerberLayerLinesUpWithTheDrillFileUnlessMirroredOnRequest)
{
    const QString drl = path("holes.drl");
    ASSERT_EQ(cli({"export", "drill", lay, "-o", drl}).status, 0);
    QFile d(drl);
    ASSERT_TRUE(d.open(QIODevice::ReadOnly));
    const QByteArray drill = d.readAll();
    // The through-plated pair at (1000, -1000) on the 50 x 30 mm board: one hole at 10, 20 mm.
    ASSERT_TRUE(drill.contains("\r\nX1000Y2000\r\n"));
    for (const char* layer : {"K1", "K2", "LStop1", "LStop2"}) {
        SCOPED_TRACE(layer);
        const QString gbr = path("layer.gbr");
        ASSERT_EQ(cli({"export", "gerber", lay, "--layer", layer, "-o", gbr}).status, 0);
        QFile plain(gbr);
        ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
        EXPECT_TRUE(plain.readAll().contains("\r\nX1000Y2000D02*\r\n")) << "the pad misses its hole";
        plain.close();
        ASSERT_EQ(cli({"export", "gerber", lay, "--layer", layer, "--mirror", "-o", gbr}).status, 0);
        QFile mirrored(gbr);
        ASSERT_TRUE(mirrored.open(QIODevice::ReadOnly));
        const QByteArray m = mirrored.readAll();
        EXPECT_TRUE(m.contains("\r\nX4000Y2000D02*\r\n"));
        EXPECT_FALSE(m.contains("\r\nX1000Y2000D02*\r\n"));
    }
    const CliRun h = cli({"--help"});
    EXPECT_NE(h.out.find("--mirror mirrors x"), std::string::npos) << h.out;
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

TEST_F(Cli, InfoJsonIsWrittenAsJsonToolsPrintIt)
{
    // Texts that need escaping, in a layout and in a macro file; the output must be exactly what
    // a JSON library prints for the same document (keys sorted, four-space indentation).
    TProject p = sampleProject();
    p.Info.Title = "quote \" backslash \\ tab \t";
    p.Info.Comment = "line one\r\nline two \x01\x1f end \xE9";
    p.Boards[0]->Name = "\"A\"";
    p.Boards[0]->TemplateFile[0] = "C:\\bilder\\vorlage.bmp";
    const QString special = path("special.lay");
    WriteLayoutFile(p, special.toStdString());
    const QString macro = path("m.lmk");
    WriteMacroFile(macro.toStdString(), p.Boards[1]->Elements, "erste \"Zeile\"", "zweite");

    for (const QString& file : {special, macro}) {
        for (const bool elements : {false, true}) {
            QStringList args{"info", "--json"};
            if (elements)
                args << "--elements";
            const CliRun r = cli(args << file);
            ASSERT_EQ(r.status, 0) << r.err;
            QJsonParseError e;
            const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &e);
            ASSERT_EQ(e.error, QJsonParseError::NoError) << r.out;
            EXPECT_EQ(r.out, d.toJson(QJsonDocument::Indented).toStdString()) << file.toStdString();
            EXPECT_EQ(d.object()["boards"].toArray()[0].toObject().contains("elements"), elements);
        }
    }
    const CliRun r = cli({"info", "--json", special});
    const QJsonObject o = json(r);
    EXPECT_EQ(o["title"].toString(), QString::fromUtf8("quote \" backslash \\ tab \t"));
    EXPECT_EQ(o["comment"].toString(), QString::fromUtf8("line one\r\nline two \x01\x1f end \xC3\xA9"));
    EXPECT_EQ(o["boards"].toArray()[0].toObject()["name"].toString(), "\"A\"");
    EXPECT_EQ(json(cli({"info", "--json", macro}))["comment1"].toString(), "erste \"Zeile\"");
}

TEST_F(Cli, NetsAndRemoveRealised)
{
    const CliRun n = cli({"nets", lay, "--json"});
    ASSERT_EQ(n.status, 0) << n.err;
    const QJsonObject o = json(n);
    EXPECT_EQ(o["nets"].toArray(), (QJsonArray{QJsonArray{0, 1, 2, 3}, QJsonArray{4}}));
    EXPECT_EQ(o["connections"].toArray(),
              (QJsonArray{QJsonObject{{"from", 1}, {"to", 2}, {"realised", true}}}));
    const CliRun first = cli({"nets", lay, "--board", "1", "--json"});
    EXPECT_EQ(json(first)["nets"].toArray(), QJsonArray{});

    const QString out = path("removed.lay");
    const CliRun r = cli({"remove-realised", lay, "-o", out, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json(r), (QJsonObject{{"removed", 1}, {"remaining", 0}}));
    EXPECT_EQ(json(cli({"nets", out, "--json"}))["connections"].toArray(), QJsonArray{});

    const CliRun plain = cli({"remove-realised", out, "-o", path("again.lay")});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "0 connections (rubberbands) removed.\n0 connections (rubberbands) remaining.\n");
    const CliRun bad = cli({"remove-realised", lay, "-o", out, "--board", "3"});
    EXPECT_EQ(bad.status, 2);
}

TEST_F(Cli, RouteOnePairOrAll)
{
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 4000;
    b.BoardHeight = 3000;
    b.ActiveLayer = LayerK1;
    for (TPoint c : {TPoint{800, -800}, TPoint{3200, -800}, TPoint{800, -2200}, TPoint{3200, -2200},
                     TPoint{2000, -1500}})
        b.Elements.push_back(pad(c.x, c.y, LayerK1));
    auto link = [&](int i, int j) {
        b.Elements[i]->Connections.push_back(b.Elements[j].get());
        b.Elements[j]->Connections.push_back(b.Elements[i].get());
    };
    link(0, 1);
    link(2, 3);
    const QString in = path("route.lay");
    WriteLayoutFile(p, in.toStdString());

    const QString one = path("one.lay");
    CliRun r = cli({"route", in, "-o", one, "--pair", "1,0", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json(r), (QJsonObject{{"routed", 1}, {"failed", 0}, {"tracks", QJsonArray{5}}}));
    QJsonObject nets = json(cli({"nets", one, "--json"}));
    EXPECT_EQ(nets["connections"].toArray(),
              (QJsonArray{QJsonObject{{"from", 2}, {"to", 3}, {"realised", false}}}));
    EXPECT_EQ(nets["nets"].toArray()[0].toArray(), (QJsonArray{0, 1, 5}));

    const QString all = path("all.lay");
    r = cli({"route", in, "-o", all, "--all", "--layer", "K1", "--width", "0.3", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json(r), (QJsonObject{{"routed", 2}, {"failed", 0}, {"tracks", QJsonArray{5, 6}}}));
    const QJsonObject info = json(cli({"info", "--json", "--elements", all}));
    const QJsonObject track = info["boards"].toArray()[0].toObject()["elements"].toArray()[6].toObject();
    EXPECT_EQ(track["width"].toInt(), 30);
    EXPECT_TRUE(track["autorouted"].toBool());
    EXPECT_EQ(track["layer"].toInt(), 1);
    EXPECT_EQ(track["routeStart"].toInt(), 2);

    const QString none = path("none.lay");
    for (const QStringList& bad : {QStringList{"--pair", "0,4"}, QStringList{"--pair", "0,9"}}) {
        r = cli(QStringList{"route", in, "-o", none} + bad);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(QFile::exists(none));
    }
    b.BoardWidth = 30100;
    WriteLayoutFile(p, path("wide.lay").toStdString());
    r = cli({"route", path("wide.lay"), "-o", none, "--all"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("300 mm"), std::string::npos);
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(Cli, RouteKeepsTheFilesLayerGivesTheCurrentClearanceAndReportsAFailureByItsStatus)
{
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 4000;
    b.BoardHeight = 3000;
    b.ActiveLayer = LayerK2;
    for (TPoint c : {TPoint{800, -800}, TPoint{3200, -800}, TPoint{2000, -1500}})
        b.Elements.push_back(pad(c.x, c.y, LayerK1));
    // A closed square of another net around pad 2: nothing reaches it on K1.
    auto wall = NewTrack(40, LayerK1);
    for (TPoint c : {TPoint{1600, -1100}, TPoint{2400, -1100}, TPoint{2400, -1900}, TPoint{1600, -1900},
                     TPoint{1600, -1100}})
        AddPoint(*wall, c);
    b.Elements.push_back(std::move(wall));
    auto link = [&](int i, int j) {
        b.Elements[i]->Connections.push_back(b.Elements[j].get());
        b.Elements[j]->Connections.push_back(b.Elements[i].get());
    };
    link(0, 1);
    link(0, 2);
    const QString in = path("layer.lay");
    WriteLayoutFile(p, in.toStdString());

    struct Case {
        QStringList options;
        int status;
        int routed, failed;
        int clearance; // of the new track, units
    };
    const Case cases[] = {
        {{"--pair", "0,1"}, 0, 1, 0, 40},
        {{"--pair", "0,1", "--track-clearance", "0.25", "--clearance", "0.3"}, 0, 1, 0, 25},
        {{"--all"}, 3, 1, 1, 40},
    };
    const QString out = path("routed.lay");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        QFile::remove(out);
        const CliRun r = cli(QStringList{"route", in, "-o", out, "--layer", "K1", "--json"} + c.options);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(json(r)["routed"].toInt(), c.routed);
        EXPECT_EQ(json(r)["failed"].toInt(), c.failed);
        ASSERT_TRUE(QFile::exists(out)) << "the tracks found are written";
        const QJsonObject board =
            json(cli({"info", "--json", "--elements", out}))["boards"].toArray()[0].toObject();
        EXPECT_EQ(board["activeLayer"].toInt(), LayerK2) << "the file keeps its active layer";
        const QJsonObject track = board["elements"].toArray()[4].toObject();
        EXPECT_TRUE(track["autorouted"].toBool());
        EXPECT_EQ(track["layer"].toInt(), LayerK1);
        EXPECT_EQ(track["clearance"].toInt(), c.clearance);
    }
}
