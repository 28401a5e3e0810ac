// The fabrication set made by trevok-cli, read by gerbv and gerber-to-svg: every file of the set gives a
// picture, the outline layer holds only the board edge, the drill holes fall on the pads of both copper
// layers (so no layer is mirrored), and the zip archive (read by Python's zipfile) holds the
// same files.
#include "clirun.h"
#include "document/layoutfile.h"
#include "readers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace trevok;
using namespace trevok::oracle;

namespace
{

int whitePixels(const QImage& img, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(img.pixel(x, y)) > 128;
    return n;
}

/// Pads on side 1 only, on side 2 only and a through-plated pair, with tracks, SMD pads and
/// print on both sides, so that no layer of the set is empty.
TProject fabProject()
{
    TProject p;
    NewBoard(p, "Fertigung");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 6000;
    b.BoardHeight = 4000;
    b.Elements.push_back(NewPad({1000, -1000}, 100, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({4800, -1200}, 90, ShapeRound, LayerK2, 35));
    auto top = NewPad({3000, -2500}, 110, 3, LayerK1, 45);
    auto bottom = NewPad({3000, -2500}, 110, 3, LayerK2, 45);
    top->Twin = bottom.get();
    bottom->Twin = top.get();
    b.Elements.push_back(std::move(top));
    b.Elements.push_back(std::move(bottom));
    b.Elements.push_back(NewSmdPad({1500, -3200}, 200, LayerK1, 100));
    b.Elements.push_back(NewSmdPad({4500, -3200}, 200, LayerK2, 100));
    auto t1 = NewTrack(50, LayerK1);
    AddPoint(*t1, {1000, -1000});
    AddPoint(*t1, {3000, -2500});
    b.Elements.push_back(std::move(t1));
    auto print1 = NewTrack(20, LayerB1);
    AddPoint(*print1, {500, -500});
    AddPoint(*print1, {2000, -500});
    b.Elements.push_back(std::move(print1));
    auto print2 = NewTrack(20, LayerB2);
    AddPoint(*print2, {4000, -3600});
    AddPoint(*print2, {5500, -3600});
    b.Elements.push_back(std::move(print2));
    return p;
}

const char* const kExtensions[] = {".GTL", ".GBL", ".GTO", ".GBO", ".GTS", ".GBS", ".GKO", ".DRL"};

} // namespace

TEST(FabricationSet, BothReadersReadEveryLayerAndHolesFallOnThePadsOfBothSides)
{
    ASSERT_FALSE(gerbvProgram().isEmpty()) << "gerbv is missing (scripts/setup-deps.sh installs it)";
    QTemporaryDir dir;
    TProject project = fabProject();
    const TBoard& b = *project.Boards[0];
    const QString layout = dir.filePath(QStringLiteral("platine.lay"));
    WriteLayoutFile(project, QFile::encodeName(layout).toStdString());
    const QString folder = dir.filePath(QStringLiteral("fab/neu")); // made when missing
    const CliRun made = cli({"export", "fab", layout, "-o", folder, "--language", "en"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(std::count(made.out.begin(), made.out.end(), '\n'), 9) << "every written path is printed";

    const int w = b.BoardWidth / kUnitsPerPx, h = b.BoardHeight / kUnitsPerPx;
    QImage copper[2];
    for (const char* ext : kExtensions) {
        SCOPED_TRACE(ext);
        const QString file = folder + QStringLiteral("/platine") + QString::fromLatin1(ext);
        ASSERT_TRUE(QFileInfo::exists(file));
        const QImage img = renderGerber(file, w, h, dir.path());
        ASSERT_EQ(img.size(), QSize(w, h));
        EXPECT_GT(whitePixels(img, img.rect()), 20) << "an empty picture";
        if (QString::fromLatin1(ext) == ".GTL")
            copper[0] = img;
        if (QString::fromLatin1(ext) == ".GBL")
            copper[1] = img;
        if (QString::fromLatin1(ext) == ".GKO")
            EXPECT_EQ(whitePixels(img, img.rect().adjusted(10, 10, -10, -10)), 0) << "only the board edge";
        if (QString::fromLatin1(ext) != ".GKO" && QString::fromLatin1(ext) != ".DRL")
            EXPECT_LT(whitePixels(img, QRect(0, h / 2, 3, 3)), 1) << "no outline in the layers";
    }

    const auto holes = findBlobs(renderGerber(folder + QStringLiteral("/platine.DRL"), w, h, dir.path()));
    ASSERT_EQ(holes.size(), 3u) << "one hole per pad, one for the plated pair";
    for (const auto& e : b.Elements) {
        if (e->Kind != KindPad)
            continue;
        const double fx = e->X, fy = e->Y + b.BoardHeight; // the frame of every file of the set
        double best = 1e18;
        for (const auto& hole : holes)
            best = std::min(best, std::hypot(hole.x - fx, hole.y - fy));
        EXPECT_LT(best, 1.5 * kUnitsPerPx) << "no hole at the pad " << e->X << "," << e->Y;
        const QImage& side = copper[e->Layer == LayerK1 ? 0 : 1];
        const int px = static_cast<int>(fx / kUnitsPerPx), py = h - 1 - static_cast<int>(fy / kUnitsPerPx);
        EXPECT_GT(qGray(side.pixel(px, py)), 128)
            << "the copper of layer " << int(e->Layer) << " misses the hole at " << e->X << "," << e->Y;
    }

    // The strict second reader must read every file of the set too, and find the same holes.
    ASSERT_EQ(tracespaceMissing().toStdString(), "");
    for (const char* ext : kExtensions) {
        SCOPED_TRACE(ext);
        const auto ts = renderTracespace(folder + QStringLiteral("/platine") + QString::fromLatin1(ext), w, h,
                                         dir.path());
        ASSERT_EQ(ts.image.size(), QSize(w, h)) << ts.warnings.join(QLatin1Char('\n')).toStdString();
        EXPECT_GT(whitePixels(ts.image, ts.image.rect()), 20) << "an empty picture";
        EXPECT_EQ(unexpectedWarnings(ts.warnings).join(QLatin1Char('\n')).toStdString(), "");
    }
    const auto tsHoles =
        findBlobs(renderTracespace(folder + QStringLiteral("/platine.DRL"), w, h, dir.path()).image);
    ASSERT_EQ(tsHoles.size(), holes.size());
    for (const auto& hole : holes) {
        double best = 1e18;
        for (const auto& other : tsHoles)
            best = std::min(best, std::hypot(hole.x - other.x, hole.y - other.y));
        EXPECT_LT(best, 1.5 * kUnitsPerPx)
            << "the readers disagree on the hole at " << hole.x << "," << hole.y;
    }

    const QString readme = QString::fromUtf8(readAll(folder + QStringLiteral("/platine-README.txt")));
    EXPECT_TRUE(readme.contains(QStringLiteral("60.00 mm x 40.00 mm"))) << readme.toStdString();
    for (const char* ext : kExtensions)
        EXPECT_TRUE(readme.contains(QStringLiteral("platine") + QString::fromLatin1(ext))) << ext;

    // The archive holds the same bytes.
    const QString zipFolder = dir.filePath(QStringLiteral("zip"));
    ASSERT_EQ(runCli({"export", "fab", layout, "-o", zipFolder, "--zip", "--language", "en"}), 0);
    const QString archive = zipFolder + QStringLiteral("/platine.zip");
    ASSERT_TRUE(QFileInfo::exists(archive));
    EXPECT_EQ(QDir(zipFolder).entryList(QDir::Files).size(), 1) << "only the archive";
    const QString unpacked = dir.filePath(QStringLiteral("unpacked"));
    ASSERT_EQ(
        runProgram(QStringLiteral("python3"),
                   {"-c",
                    "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; "
                    "z.extractall(sys.argv[2])",
                    archive, unpacked})
            .status,
        0);
    const QStringList names = QDir(folder).entryList(QDir::Files);
    EXPECT_EQ(QDir(unpacked).entryList(QDir::Files), names);
    for (const QString& name : names)
        EXPECT_EQ(readAll(unpacked + QLatin1Char('/') + name), readAll(folder + QLatin1Char('/') + name))
            << name.toStdString();
}

TEST(FabricationSet, EmptyLayersAreStillWrittenAndBadFoldersFail)
{
    QTemporaryDir dir;
    TProject project;
    NewBoard(project, "Leer");
    const QString layout = dir.filePath(QStringLiteral("leer.lay"));
    WriteLayoutFile(project, QFile::encodeName(layout).toStdString());
    const QString folder = dir.filePath(QStringLiteral("out"));
    ASSERT_EQ(runCli({"export", "fab", layout, "-o", folder}), 0);
    for (const char* ext : kExtensions) {
        const QByteArray bytes = readAll(folder + QStringLiteral("/leer") + QString::fromLatin1(ext));
        EXPECT_TRUE(bytes.endsWith(QString::fromLatin1(ext) == ".DRL" ? QByteArray("M30\r\n")
                                                                      : QByteArray("M02*\r\n")))
            << ext << ": " << bytes.right(20).toStdString();
    }
    // Both readers take every empty Gerber layer for RS-274X (gerbv guesses RS-274D for a file
    // without apertures) and find nothing drawn on it.
    ASSERT_FALSE(gerbvProgram().isEmpty()) << "gerbv must be installed";
    ASSERT_EQ(tracespaceMissing(), QString());
    for (const char* ext : kExtensions) {
        if (QByteArray(ext) == ".DRL")
            continue;
        SCOPED_TRACE(ext);
        const QString file = folder + QStringLiteral("/leer") + QString::fromLatin1(ext);
        const QString complaints = QString::fromStdString(
            runProgram(gerbvProgram(), {QStringLiteral("-x"), QStringLiteral("png"), QStringLiteral("-o"),
                                        dir.filePath(QStringLiteral("gerbv.png")), file})
                .err);
        EXPECT_FALSE(complaints.contains(QStringLiteral("RS-274D"))) << complaints.toStdString();
        const TracespaceRendering t = renderTracespace(file, 100, 100, dir.path());
        EXPECT_TRUE(unexpectedWarnings(t.warnings).isEmpty()) << t.warnings.join('\n').toStdString();
        ASSERT_FALSE(t.image.isNull());
        if (QByteArray(ext) != ".GKO") // the outline layer holds the board's edge
            EXPECT_EQ(whitePixels(t.image, t.image.rect()), 0);
    }
    // A set that cannot be written whole leaves nothing of itself: here the drill file's name is
    // taken by a folder, and the layers before it in the set must not appear either.
    const QString partial = dir.filePath(QStringLiteral("teil"));
    ASSERT_TRUE(QDir().mkpath(partial + QStringLiteral("/leer.DRL")));
    EXPECT_EQ(runCli({"export", "fab", layout, "-o", partial}), 1);
    EXPECT_EQ(QDir(partial).entryList(QDir::Files | QDir::Hidden).size(), 0)
        << QDir(partial).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();

    QFile blocker(dir.filePath(QStringLiteral("datei")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(runCli({"export", "fab", layout, "-o", blocker.fileName()}), 1);
}
