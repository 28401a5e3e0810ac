// Images made by trevok-cli, read back by readers that share no code with ours: Qt for bitmaps
// and PNG, ImageMagick for GIF and SVG, emf2svg for metafiles, pdftoppm for PDF. Each picture
// must have the board's pixel size and show each side's copper colour exactly where the
// elements' regions lie (pixels within one and a half pixels of an edge are not judged).
#include "clirun.h"
#include "document/layoutfile.h"
#include "document/region.h"
#include "print/boardimage.h"
#include "view/colours.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

QString tool(const char* name)
{
    const QString path =
        QStandardPaths::findExecutable(QString::fromLatin1(name), {QStringLiteral("/usr/bin")});
    return path.isEmpty() ? QStandardPaths::findExecutable(QString::fromLatin1(name)) : path;
}

/// A board with copper on both sides, the two sides apart, and plated and plain pads.
TProject sampleProject()
{
    TProject p;
    NewBoard(p, "Bild");
    TBoard& b = *p.Boards[0];
    b.BoardWidth = 6000;
    b.BoardHeight = 4000;
    b.ActiveLayer = LayerK1;
    b.Elements.push_back(NewPad({1000, -1000}, 120, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({2500, -1000}, 100, 3, LayerK1, 35));
    auto t1 = NewTrack(80, LayerK1);
    AddPoint(*t1, {1000, -1000});
    AddPoint(*t1, {2500, -1000});
    AddPoint(*t1, {2500, -2000});
    b.Elements.push_back(std::move(t1));
    b.Elements.push_back(NewSmdPad({1200, -3000}, 300, LayerK1, 150));
    b.Elements.push_back(NewPad({4500, -1200}, 110, ShapeRound, LayerK2, 40));
    auto t2 = NewTrack(120, LayerK2);
    AddPoint(*t2, {4500, -1200});
    AddPoint(*t2, {4500, -3200});
    AddPoint(*t2, {3500, -3200});
    b.Elements.push_back(std::move(t2));
    return p;
}

enum class Want { Background, K1, K2, Hole, Edge };

/// What our own geometry says a point of the board shows.
struct Reference {
    Region k1, k2, holes;
    explicit Reference(const TBoard& b)
    {
        for (const auto& e : b.Elements) {
            if (e->Kind == KindPad)
                holes = holes.united(Region::disc(e->X, e->Y, e->Size2));
            (e->Layer == LayerK1 ? k1 : k2) = (e->Layer == LayerK1 ? k1 : k2).united(ElementRegion(*e));
        }
    }
    Want at(double x, double y) const
    {
        auto one = [&](double px, double py) {
            const auto ix = static_cast<std::int64_t>(px), iy = static_cast<std::int64_t>(py);
            if (holes.contains(ix, iy))
                return Want::Hole;
            if (k1.contains(ix, iy))
                return Want::K1;
            if (k2.contains(ix, iy))
                return Want::K2;
            return Want::Background;
        };
        return one(x, y);
    }
};

Want nearestColour(QRgb c, const ColourScheme& s)
{
    const std::pair<Want, ColourRef> colours[] = {{Want::Background, s[ColourBackground]},
                                                  {Want::K1, s[ColourK1]},
                                                  {Want::K2, s[ColourK2]},
                                                  {Want::Hole, Rgb(255, 255, 255)}};
    Want best = Want::Edge;
    int bestD = 1 << 30;
    for (const auto& [w, col] : colours) {
        const int dr = qRed(c) - RedOf(col), dg = qGreen(c) - GreenOf(col), db = qBlue(c) - BlueOf(col);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = w;
        }
    }
    return best;
}

/// Compares every pixel whose surroundings agree with the reference; returns the mismatches
/// and counts the copper pixels checked.
int mismatches(const QImage& img, const TBoard& b, double unitsPerPx, bool mono, int& copperChecked)
{
    const Reference ref(b);
    const ColourScheme s = ColourScheme::Standard();
    const double margin = 1.5 * unitsPerPx;
    int bad = 0;
    copperChecked = 0;
    for (int r = 0; r < img.height(); ++r)
        for (int c = 0; c < img.width(); ++c) {
            const double x = (c + 0.5) * unitsPerPx, y = -(r + 0.5) * unitsPerPx;
            if (x > b.BoardWidth || -y > b.BoardHeight)
                continue; // a reader may round the page up
            const Want w = ref.at(x, y);
            bool edge = false;
            for (int dx = -1; dx <= 1 && !edge; ++dx)
                for (int dy = -1; dy <= 1 && !edge; ++dy)
                    edge = ref.at(x + dx * margin, y + dy * margin) != w;
            if (edge)
                continue;
            const QRgb px = img.pixel(c, r);
            bool ok;
            if (mono)
                ok = (qGray(px) < 128) == (w == Want::K1 || w == Want::K2);
            else
                ok = nearestColour(px, s) == w;
            copperChecked += w == Want::K1 || w == Want::K2;
            if (!ok && ++bad <= 3)
                ADD_FAILURE() << "pixel " << c << "," << r << " is " << std::hex << px;
        }
    return bad;
}

class ImageOracle : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("TREVOK_KEEP_TEST_FILES"));
        project = sampleProject();
        layout = dir.filePath(QStringLiteral("bild.lay"));
        WriteLayoutFile(project, QFile::encodeName(layout).toStdString());
    }
    QString exportImage(const char* format, int dpi, bool mono = false)
    {
        const QString out = dir.filePath(QStringLiteral("bild%1.%2").arg(mono ? "-sw" : "").arg(format));
        QStringList args{"export", "image", layout,  "--format",          format,
                         "-o",     out,     "--dpi", QString::number(dpi)};
        if (mono)
            args << "--mono";
        const CliRun r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return out;
    }
    QImage convertWithImageMagick(const QString& file, const QStringList& before = {})
    {
        const QString convert = tool("convert");
        EXPECT_FALSE(convert.isEmpty()) << "ImageMagick is missing (scripts/setup-deps.sh installs it)";
        const QString png = file + QStringLiteral(".ppm");
        runProgram(convert, before + QStringList{file, png});
        return QImage(png);
    }

    QTemporaryDir dir;
    TProject project;
    QString layout;
};

} // namespace

TEST_F(ImageOracle, RasterImagesHaveTheBoardSizeAndCopperWhereTheElementsAre)
{
    const TBoard& b = *project.Boards[0];
    struct Case {
        const char* format;
        int dpi;
        bool mono;
    };
    for (const Case& c : {Case{"bmp", 200, false}, Case{"bmp", 150, true}, Case{"png", 100, false},
                          Case{"gif", 200, false}}) {
        SCOPED_TRACE(std::string(c.format) + (c.mono ? " mono" : ""));
        const QString file = exportImage(c.format, c.dpi, c.mono);
        const QImage img =
            QString::fromLatin1(c.format) == "gif" ? convertWithImageMagick(file) : QImage(file);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), ImagePixelSize(b.BoardWidth, b.BoardHeight, c.dpi));
        if (c.mono)
            EXPECT_EQ(img.depth(), 1) << "one bit per pixel";
        int copper = 0;
        EXPECT_EQ(mismatches(img, b, 2540.0 / c.dpi, c.mono, copper), 0);
        EXPECT_GT(copper, 200);
    }
}

TEST_F(ImageOracle, MetafileReadByEmf2svgShowsTheSameBoard)
{
    const QString emf2svg = tool("emf2svg-conv");
    ASSERT_FALSE(emf2svg.isEmpty()) << "emf2svg is missing (scripts/setup-deps.sh installs it)";
    const TBoard& b = *project.Boards[0];
    const int dpi = 150;
    const QString emf = exportImage("emf", dpi);
    const QString svg = dir.filePath(QStringLiteral("bild-emf.svg"));
    const CliRun converted = runProgram(emf2svg, {"-i", emf, "-o", svg});
    ASSERT_EQ(converted.status, 0) << converted.err;
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    const QSize want = ImagePixelSize(b.BoardWidth, b.BoardHeight, dpi);
    EXPECT_NEAR(renderer.defaultSize().width(), want.width(), 1);
    EXPECT_NEAR(renderer.defaultSize().height(), want.height(), 1);
    QImage img(want, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(renderer.defaultSize())));
    painter.end();
    int copper = 0;
    EXPECT_EQ(mismatches(img, b, 2540.0 / dpi, false, copper), 0);
    EXPECT_GT(copper, 200);
}

TEST_F(ImageOracle, PdfAndSvgRenderedByOtherProgramsShowTheSameBoard)
{
    const TBoard& b = *project.Boards[0];
    const int dpi = 150;
    const QSize want = ImagePixelSize(b.BoardWidth, b.BoardHeight, dpi);

    const QString pdftoppm = tool("pdftoppm");
    ASSERT_FALSE(pdftoppm.isEmpty()) << "poppler-utils is missing (scripts/setup-deps.sh installs it)";
    const QString pdf = exportImage("pdf", dpi);
    const QString prefix = dir.filePath(QStringLiteral("page"));
    ASSERT_EQ(runProgram(pdftoppm, {"-r", QString::number(dpi), "-singlefile", "-aa", "no", "-aaVector", "no",
                                    pdf, prefix})
                  .status,
              0);
    const QImage page(prefix + QStringLiteral(".ppm"));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), want.width(), 1);
    EXPECT_NEAR(page.height(), want.height(), 1);
    // The page is the board exactly: 60 x 40 mm are 170.079 x 113.386 points, not whole points.
    const CliRun pdfinfo = runProgram(tool("pdfinfo"), {pdf});
    ASSERT_NE(pdfinfo.status, -1);
    const QString info = QString::fromStdString(pdfinfo.out);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), b.BoardWidth / 2540.0 * 72, 0.006);
    EXPECT_NEAR(size.captured(2).toDouble(), b.BoardHeight / 2540.0 * 72, 0.006);

    // An old font text is drawn into the image: no warning that it is left out.
    TProject withText = sampleProject();
    auto text = std::make_unique<TObjekt>();
    text->Kind = KindFontText;
    text->Layer = LayerK1;
    text->X = 4000;
    text->Y = -3000;
    text->Size1 = 500;
    text->Size2 = -500;
    text->Width = -667;
    text->Text = "AB";
    withText.Boards[0]->Elements.push_back(std::move(text));
    const QString textLayout = dir.filePath(QStringLiteral("text.lay"));
    WriteLayoutFile(withText, QFile::encodeName(textLayout).toStdString());
    const CliRun withTextRun =
        cli({"export", "image", textLayout, "--format", "pdf", "-o", dir.filePath("text.pdf")});
    EXPECT_EQ(withTextRun.status, 0);
    EXPECT_EQ(withTextRun.err.find("not exported"), std::string::npos) << withTextRun.err;
    int copper = 0;
    EXPECT_EQ(mismatches(page, b, 2540.0 / dpi, false, copper), 0);
    EXPECT_GT(copper, 200);

    const QString svg = exportImage("svg", dpi);
    // ImageMagick draws the page at its own 96 dpi: the picture must keep the board's
    // proportions, and its scale comes from its width.
    const QImage drawn = convertWithImageMagick(svg);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_NEAR(drawn.width(), ImagePixelSize(b.BoardWidth, b.BoardHeight, 96).width(), 1);
    EXPECT_NEAR(drawn.height(), ImagePixelSize(b.BoardWidth, b.BoardHeight, 96).height(), 1);
    EXPECT_EQ(mismatches(drawn, b, static_cast<double>(b.BoardWidth) / drawn.width(), false, copper), 0);
    EXPECT_GT(copper, 200);
}

TEST_F(ImageOracle, BadInputWritesNothing)
{
    const QString out = dir.filePath(QStringLiteral("nie.bmp"));
    struct Case {
        QStringList args;
        int status;
    };
    const Case cases[] = {
        {{"--format", "tiff"}, 2},
        {{"--format", "bmp", "--dpi", "99"}, 2},
        {{"--format", "bmp", "--dpi", "601"}, 2},
        {{"--format", "gif", "--mono"}, 2},
        {{"--format", "bmp", "--board", "2"}, 2},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(QStringList{"export", "image", layout, "-o", out} + c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    EXPECT_EQ(runCli({"export", "image", dir.filePath("fehlt.lay"), "--format", "png", "-o", out}), 1);
    EXPECT_FALSE(QFileInfo::exists(out));
}
