// `trevok-cli print` as a script runs it, with the PDF measured by an independent reader:
// poppler's pdftoppm rasterises the page at 254 dpi (10 pixels per millimetre), and the board
// outline is found in its pixels.
#include "clirun.h"
#include "document/layoutfile.h"
#include "document/project.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

/// The box of dark pixels of a page, in millimetres from the page's corner.
struct Box {
    double left = 1e9, top = 1e9, right = -1, bottom = -1;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

class PrintPdf : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TProject p;
        NewBoard(p, "Artwork");
        TBoard& b = *p.Boards[0];
        b.BoardWidth = 10000;
        b.BoardHeight = 5000;
        layout = dir.filePath(QStringLiteral("board.lay"));
        WriteLayoutFile(p, layout.toStdString());
    }

    /// Prints with the options, rasterises at 254 dpi and returns the dark box. The outline is
    /// a hairline: its pixel centres lie on the board edges, so the box spans the board exactly.
    Box print(QStringList options)
    {
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QFile::remove(pdf);
        const CliRun printed =
            cli(QStringList{QStringLiteral("print"), layout, QStringLiteral("-o"), pdf} + options);
        EXPECT_EQ(printed.status, 0) << printed.err;
        const QString base = dir.filePath(QStringLiteral("page"));
        EXPECT_EQ(runProgram(QStringLiteral("pdftoppm"),
                             {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                              QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                              QStringLiteral("no"), QStringLiteral("-singlefile"), pdf, base})
                      .status,
                  0)
            << "pdftoppm (poppler-utils) must be installed";
        const QImage page(base + QStringLiteral(".pgm"));
        pageSize = page.size();
        Box box;
        for (int y = 0; y < page.height(); ++y) {
            const uchar* row = page.constScanLine(y);
            for (int x = 0; x < page.width(); ++x)
                if (row[x] < 128) {
                    box.left = std::min(box.left, x / 10.0);
                    box.right = std::max(box.right, x / 10.0);
                    box.top = std::min(box.top, y / 10.0);
                    box.bottom = std::max(box.bottom, y / 10.0);
                }
        }
        return box;
    }

    QTemporaryDir dir;
    QString layout;
    QSize pageSize;
};

} // namespace

TEST_F(PrintPdf, OneToOneIsExact)
{
    const Box b = print({});
    // A4 is 595.28 x 841.89 points; pdftoppm rounds the pixel count up.
    EXPECT_EQ(pageSize.width(), 2100);
    EXPECT_NEAR(pageSize.height(), 2970, 1) << "A4 portrait";
    EXPECT_NEAR(b.width(), 100.0, 0.1);
    EXPECT_NEAR(b.height(), 50.0, 0.1);
    EXPECT_NEAR(b.left, 1.0, 0.1) << "1 mm from the page's left edge";
    EXPECT_NEAR(b.top, 1.0, 0.1);
}

TEST_F(PrintPdf, CalibrationStretchesOnlyItsDirection)
{
    const Box b = print({QStringLiteral("--calibrate"), QStringLiteral("1.1,1.0")});
    EXPECT_NEAR(b.width(), 110.0, 0.1);
    EXPECT_NEAR(b.height(), 50.0, 0.1);
}

TEST_F(PrintPdf, DoubleScaleKeepsThePlace)
{
    const Box b = print({QStringLiteral("--scale"), QStringLiteral("200")});
    EXPECT_NEAR(b.width(), 200.0, 0.1);
    EXPECT_NEAR(b.height(), 100.0, 0.1);
    EXPECT_NEAR(b.left, 1.0, 0.1);
    EXPECT_NEAR(b.top, 1.0, 0.1);
}

TEST_F(PrintPdf, MirroredTilesOnLandscapeLetter)
{
    // Two columns 5 mm apart: the block spans 205 mm, which needs the landscape page.
    const Box b =
        print({QStringLiteral("--tiles"), QStringLiteral("2x1"), QStringLiteral("--gap"), QStringLiteral("5"),
               QStringLiteral("--mirror"), QStringLiteral("--paper"), QStringLiteral("279.4x215.9")});
    EXPECT_NEAR(pageSize.width(), 2794, 1);
    EXPECT_NEAR(pageSize.height(), 2159, 1);
    EXPECT_NEAR(b.width(), 205.0, 0.1);
    EXPECT_NEAR(b.left, 1.0, 0.1);
}

TEST_F(PrintPdf, OffsetAndCentrePlaceTheBoardAndPaperNamesMayHoldAnX)
{
    struct Case {
        QStringList options;
        double left, top, width; // mm
        int pageWidth;           // pixels at 10 per mm
    };
    const Case cases[] = {
        {{"--offset", "10,20"}, 10.0, 20.0, 100.0, 2100},
        {{"--offset", "10,20", "--scale", "200"}, 10.0, 20.0, 200.0, 2100},
        {{"--centre"}, 55.0, 123.5, 100.0, 2100},                         // A4: (210 - 100) / 2
        {{"--centre", "--paper", "Executive"}, 42.1, 108.4, 100.0, 1842}, // 184.15 x 266.7 mm
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        const Box b = print(c.options);
        EXPECT_NEAR(pageSize.width(), c.pageWidth, 1);
        EXPECT_NEAR(b.left, c.left, 0.15);
        EXPECT_NEAR(b.top, c.top, 0.15);
        EXPECT_NEAR(b.width(), c.width, 0.1);
    }
}

TEST_F(PrintPdf, WrongOptionsAreRefused)
{
    const QString pdf = dir.filePath(QStringLiteral("never.pdf"));
    for (const QStringList& bad :
         {QStringList{QStringLiteral("--calibrate"), QStringLiteral("1.3,1")},
          QStringList{QStringLiteral("--tiles"), QStringLiteral("0x2")},
          QStringList{QStringLiteral("--layers"), QStringLiteral("K1,X9")},
          QStringList{QStringLiteral("--paper"), QStringLiteral("Napkin")},
          QStringList{QStringLiteral("--offset"), QStringLiteral("10")},
          QStringList{QStringLiteral("--centre"), QStringLiteral("--offset"), QStringLiteral("1,1")},
          QStringList{QStringLiteral("--board"), QStringLiteral("2")}}) {
        SCOPED_TRACE(bad.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(runCli(QStringList{QStringLiteral("print"), layout, QStringLiteral("-o"), pdf} + bad), 2);
        EXPECT_FALSE(QFile::exists(pdf));
    }
    EXPECT_EQ(runCli({QStringLiteral("print"), dir.filePath(QStringLiteral("missing.lay")),
                      QStringLiteral("-o"), pdf}),
              1);
    EXPECT_FALSE(QFile::exists(pdf));

    // A template asked for but not readable: no printout without it.
    TProject p;
    NewBoard(p, "Vorlage");
    p.Boards[0]->TemplateFile[0] = dir.filePath(QStringLiteral("gone.bmp")).toStdString();
    p.Boards[0]->TemplateShown[0] = 1;
    const QString withTemplate = dir.filePath(QStringLiteral("template.lay"));
    WriteLayoutFile(p, withTemplate.toStdString());
    const CliRun r =
        cli({QStringLiteral("print"), withTemplate, QStringLiteral("-o"), pdf, QStringLiteral("--template")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("gone.bmp"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(pdf));
}
