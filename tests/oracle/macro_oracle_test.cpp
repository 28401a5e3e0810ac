// Starter footprints placed on a board as a drop places them, exported as Gerber and rendered by
// gerbv: the pad centres found in gerbv's picture must lie on the package's pitch and rows, on
// both copper sides for through-hole parts.
#include "footprints.h"

#include "edit/macrolibrary.h"
#include "output/gerber.h"
#include "readers.h"

#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <stdexcept>

using namespace trevok;
using namespace trevok::oracle;

namespace
{

const Footprint& footprint(const std::vector<Footprint>& all, const std::string& path)
{
    const auto it = std::find_if(all.begin(), all.end(), [&](const Footprint& f) { return f.path == path; });
    if (it == all.end())
        throw std::runtime_error("no footprint " + path);
    return *it;
}

/// Splits blob centres into the two rows of a dual-row part (by x) and sorts each by y.
std::pair<std::vector<Blob>, std::vector<Blob>> twoRows(std::vector<Blob> blobs)
{
    std::sort(blobs.begin(), blobs.end(), [](const Blob& a, const Blob& b) { return a.x < b.x; });
    const std::size_t half = blobs.size() / 2;
    std::vector<Blob> left(blobs.begin(), blobs.begin() + static_cast<std::ptrdiff_t>(half));
    std::vector<Blob> right(blobs.begin() + static_cast<std::ptrdiff_t>(half), blobs.end());
    for (auto* row : {&left, &right})
        std::sort(row->begin(), row->end(), [](const Blob& a, const Blob& b) { return a.y < b.y; });
    return {left, right};
}

double meanX(const std::vector<Blob>& row)
{
    double s = 0;
    for (const Blob& b : row)
        s += b.x;
    return s / static_cast<double>(row.size());
}

class MacroOracle : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_FALSE(gerbvProgram().isEmpty()) << "gerbv is not installed: run scripts/setup-deps.sh";
        ASSERT_TRUE(dir.isValid());
    }

    /// The board's layer rendered by gerbv, split into blobs.
    std::vector<Blob> padsOnLayer(const TBoard& board, GerberLayer layer)
    {
        GerberOptions o = GerberOptions::forLayer(layer);
        o.mirror = false; // keep the file's x equal to the board's, to compare with the drop offset
        o.outline = false;
        const QString file = dir.path() + QStringLiteral("/layer.gbr");
        {
            const std::string bytes = PlotteGerberfile(board, o);
            QFile f(file);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        }
        const int w = static_cast<int>(board.BoardWidth / kUnitsPerPx);
        const int h = static_cast<int>(board.BoardHeight / kUnitsPerPx);
        const QImage img = renderGerber(file, w, h, dir.path());
        EXPECT_EQ(img.width(), w);
        EXPECT_EQ(img.height(), h);
        return findBlobs(img);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(MacroOracle, DroppedDipAndSoicShowTheirPitchAndRowsInGerbv)
{
    const auto all = starterFootprints();
    TProject project;
    TBoard& board = NewBoard(project, "Platine 1");
    board.BoardWidth = 3000;
    board.BoardHeight = 2500;
    // Drop points on the 2.54 mm grid, as the snapped cursor gives them.
    const TPoint dipAt{508, -508}, soicAt{2032, -508};
    DropMacro(project, footprint(all, "DIP/DIP-8 7.62.lmk").elements, dipAt);
    DropMacro(project, footprint(all, "SMD/SOIC-8.lmk").elements, soicAt);
    const double tolerance = kUnitsPerPx; // one pixel
    // The SOIC's row distance is not a package constant but follows from its lands: take it from
    // the macro and see that the export puts the lands there.
    std::int32_t minX = INT32_MAX, maxX = INT32_MIN;
    for (const auto& e : footprint(all, "SMD/SOIC-8.lmk").elements)
        if (e->isPadLike()) {
            minX = std::min(minX, e->X);
            maxX = std::max(maxX, e->X);
        }
    const double soicRows = static_cast<double>(maxX) - minX;
    EXPECT_GT(soicRows, 390) << "lands under the body";
    EXPECT_LT(soicRows, 600) << "lands beyond the lead tips";

    // The DIP's pads are through-plated, on both copper sides; the SOIC's lands lie on the
    // component side (K1) only. Each part is told apart by its x (the DIP lies left of 1700).
    struct Case {
        GerberLayer layer;
        std::size_t padsOnLayer;
        TPoint at;
        double pitch, rows;
    };
    for (const Case& c :
         {Case{GerberLayer::K2, 8, dipAt, 254, 762}, Case{GerberLayer::K1, 16, dipAt, 254, 762},
          Case{GerberLayer::K1, 16, soicAt, 127, soicRows}}) {
        SCOPED_TRACE(GerberLayerName(c.layer, 1) + (c.at.x == dipAt.x ? " DIP" : " SOIC"));
        const auto all = padsOnLayer(board, c.layer);
        ASSERT_EQ(all.size(), c.padsOnLayer) << "pads merged or missing in gerbv's picture";
        std::vector<Blob> blobs;
        std::copy_if(all.begin(), all.end(), std::back_inserter(blobs),
                     [&](const Blob& b) { return (b.x < 1700) == (c.at.x < 1700); });
        ASSERT_EQ(blobs.size(), 8u);
        const auto [left, right] = twoRows(blobs);
        for (const auto* row : {&left, &right}) {
            ASSERT_EQ(row->size(), 4u);
            for (std::size_t i = 1; i < row->size(); ++i)
                EXPECT_NEAR((*row)[i].y - (*row)[i - 1].y, c.pitch, tolerance);
            for (const Blob& b : *row)
                EXPECT_NEAR(b.x, meanX(*row), tolerance) << "a pad out of its row";
        }
        // Pin 1 on the drop point: the top pad of the left row (file y = board y + height).
        EXPECT_NEAR(left.back().x, c.at.x, tolerance);
        EXPECT_NEAR(left.back().y, c.at.y + board.BoardHeight, tolerance);
        EXPECT_NEAR(meanX(right) - meanX(left), c.rows, tolerance);
    }
}
