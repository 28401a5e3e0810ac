// The starter macro library: the checked-in files are exactly what the generator makes, each
// reads back as a version-4 macro, and the geometry read back from the generator's encoding
// agrees with what each footprint's name and comment promise.
#include "footprints.h"

#include "document/layoutfile.h"
#include "document/region.h"
#include "document/undo.h"
#include "edit/macrolibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <tuple>

using namespace trevok;
namespace fs = std::filesystem;

namespace
{

const fs::path kMacroDir = fs::path(TREVOK_SOURCE_DIR) / "resources" / "macros";

std::vector<std::uint8_t> fileBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The pads in pin order: SMD pads, and of each through-plated pair the pad on K2.
std::vector<const TObjekt*> pads(const ElementList& list)
{
    std::vector<const TObjekt*> out;
    for (const auto& e : list)
        if (e->isPadLike() && !(e->Kind == KindPad && e->Layer == LayerK1))
            out.push_back(e.get());
    return out;
}

/// Twice the signed area of the polygon through the pad centres in list order: positive when
/// the pins are numbered anticlockwise (y grows upward).
double signedArea2(const std::vector<const TObjekt*>& p)
{
    double a = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const TObjekt& u = *p[i];
        const TObjekt& v = *p[(i + 1) % p.size()];
        a += static_cast<double>(u.X) * v.Y - static_cast<double>(v.X) * u.Y;
    }
    return a;
}

/// Pads grouped by x (the rows of a dual-row part), each sorted by y.
std::map<std::int32_t, std::vector<std::int32_t>> columns(const std::vector<const TObjekt*>& p)
{
    std::map<std::int32_t, std::vector<std::int32_t>> cols;
    for (const TObjekt* e : p)
        cols[e->X].push_back(e->Y);
    for (auto& [x, ys] : cols)
        std::sort(ys.begin(), ys.end());
    return cols;
}

/// Every neighbouring pair of a sorted list is step apart.
void expectSteps(const std::vector<std::int32_t>& sorted, std::int32_t step)
{
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_EQ(sorted[i] - sorted[i - 1], step)
            << "between positions " << sorted[i - 1] << " and " << sorted[i];
}

/// The copper of a pad, grown by extra units.
Region copper(const TObjekt& pad, std::int64_t extra)
{
    if (pad.Kind == KindPad)
        return PadOutline(pad, extra);
    const std::int64_t hx = RoundHalfEven(pad.Size1 / 2.0) + extra,
                       hy = RoundHalfEven(pad.Size2 / 2.0) + extra;
    return Region::rectangle(pad.X - hx, pad.Y - hy, pad.X + hx, pad.Y + hy);
}

/// Units from a "7.62"-style number in a name.
std::int32_t units(const std::string& mm)
{
    return RoundHalfEven(std::stod(mm) * 100.0);
}

class StarterMacros : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        generatedList = starterFootprints();
        // The geometry checks read what the generator makes now, through the file encoding, so
        // that a wrong footprint fails them even before its file is regenerated.
        for (const Footprint& f : generatedList) {
            const auto bytes = EncodeMacroFile(f.elements, f.line1, f.line2);
            readBackMap.emplace(f.path, ParseMacroFile(bytes, f.path));
        }
    }
    static void TearDownTestSuite()
    {
        generatedList.clear();
        readBackMap.clear();
    }
    /// Read-back macros whose path matches the pattern, with the pattern's matches.
    template <class F> static int forEach(const std::string& pattern, F&& check)
    {
        int n = 0;
        const std::regex re(pattern);
        for (const auto& [path, content] : readBackMap) {
            std::smatch m;
            if (std::regex_match(path, m, re)) {
                SCOPED_TRACE(path);
                check(m, content);
                ++n;
            }
        }
        return n;
    }
    static inline std::vector<Footprint> generatedList;
    static inline std::map<std::string, MacroFileContent> readBackMap;
    const std::vector<Footprint>* generated = &generatedList;
    const std::map<std::string, MacroFileContent>* readBack = &readBackMap;
};

} // namespace

TEST_F(StarterMacros, CheckedInFilesAreWhatTheGeneratorMakesNow)
{
    std::set<std::string> expected;
    for (const Footprint& f : *generated) {
        SCOPED_TRACE(f.path);
        expected.insert(f.path);
        EXPECT_EQ(fileBytes(kMacroDir / f.path), EncodeMacroFile(f.elements, f.line1, f.line2))
            << "stale file: regenerate with the build target 'macros'";
    }
    EXPECT_EQ(expected.size(), generated->size()) << "two footprints share a file name";
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(kMacroDir))
        if (entry.is_regular_file())
            found.insert(fs::relative(entry.path(), kMacroDir).generic_string());
    EXPECT_EQ(found, expected)
        << "files in resources/macros that the generator does not make, or missing ones";

    const auto qrc = fileBytes(kMacroDir.parent_path() / "macros.qrc");
    EXPECT_EQ(std::string(qrc.begin(), qrc.end()), resourceFileText(*generated, "macros"));
}

TEST_F(StarterMacros, EveryFileReadsBackWithItsCommentsAndElements)
{
    for (const Footprint& f : *generated) {
        SCOPED_TRACE(f.path);
        const MacroFileContent m = ReadMacroFile((kMacroDir / f.path).string());
        EXPECT_EQ(m.version, 4);
        EXPECT_EQ(m.line1, f.line1);
        EXPECT_EQ(m.line2, f.line2);
        // The lines are cut to 50 bytes on writing; a longer one would come back different.
        EXPECT_FALSE(m.line1.empty());
        EXPECT_FALSE(m.line2.empty());
        EXPECT_LE(m.line1.size(), MaxMacroLine);
        EXPECT_LE(m.line2.size(), MaxMacroLine);
        ASSERT_EQ(m.elements.size(), f.elements.size());
        for (std::size_t i = 0; i < f.elements.size(); ++i) {
            EXPECT_EQ(m.elements[i]->Kind, f.elements[i]->Kind);
            EXPECT_EQ(m.elements[i]->Layer, f.elements[i]->Layer);
            EXPECT_EQ(Bounds(*m.elements[i]), Bounds(*f.elements[i]));
        }
    }
}

TEST_F(StarterMacros, EachFamilyHasItsFolderAndEveryPartItsPrintAndCopper)
{
    const std::set<std::string> families{"DIP", "SIL", "TO", "SMD", "Passive", "Mechanical"};
    std::set<std::string> seen;
    for (const auto& [path, m] : *readBack) {
        SCOPED_TRACE(path);
        const std::string family = path.substr(0, path.find('/'));
        EXPECT_TRUE(families.count(family));
        seen.insert(family);
        const auto p = pads(m.elements);
        ASSERT_FALSE(p.empty());
        const bool smd = p.front()->Kind == KindSmdPad;
        EXPECT_EQ(smd, family == "SMD");
        int print = 0;
        for (const auto& e : m.elements) {
            if (e->isPadLike()) {
                // SMD pads on the component side; through-hole pads on both (checked below).
                EXPECT_EQ(e->Kind, smd ? KindSmdPad : KindPad);
                if (smd)
                    EXPECT_EQ(e->Layer, LayerK1);
                if (e->Kind == KindPad) {
                    EXPECT_GT(e->Size2, 0) << "pad without hole";
                    EXPECT_LT(e->Size2, e->Size1) << "hole not smaller than its pad";
                }
                EXPECT_GT(e->Clearance, 0);
            } else {
                EXPECT_EQ(e->Layer, LayerB1);
                ++print;
            }
        }
        EXPECT_GT(print, 0);
        // Pin 1 on the macro's origin, so a drop on the snapped cursor puts the pads on the grid.
        EXPECT_EQ(p.front()->X, 0);
        EXPECT_EQ(p.front()->Y, 0);
    }
    EXPECT_EQ(seen, families);
}

TEST_F(StarterMacros, PrintNeverLiesOnCopper)
{
    // The outlines keep 0.25 mm from the copper wherever they can and never less than 0.15 mm.
    for (const auto& [path, m] : *readBack) {
        SCOPED_TRACE(path);
        for (const auto& e : m.elements) {
            if (e->isPadLike())
                continue;
            const Region print = ElementRegion(*e);
            for (const TObjekt* p : pads(m.elements))
                EXPECT_FALSE(print.overlaps(copper(*p, 15)))
                    << "print element of kind " << int(e->Kind) << " near the pad at " << p->X << "," << p->Y;
        }
    }
}

TEST_F(StarterMacros, DipPinsAreOnTheirPitchAndRowsNumberedAnticlockwise)
{
    const int n =
        forEach(R"(DIP/DIP-(\d+) ([\d.]+)\.lmk)", [](const std::smatch& m, const MacroFileContent& c) {
            const auto p = pads(c.elements);
            const std::size_t pins = std::stoul(m[1]);
            ASSERT_EQ(p.size(), pins);
            const auto cols = columns(p);
            ASSERT_EQ(cols.size(), 2u);
            EXPECT_EQ(cols.rbegin()->first - cols.begin()->first, units(m[2]));
            for (const auto& [x, ys] : cols) {
                EXPECT_EQ(ys.size(), pins / 2);
                expectSteps(ys, 254);
            }
            // Pin 1 at the top of the left row, square; all others round.
            EXPECT_EQ(p.front()->X, cols.begin()->first);
            EXPECT_EQ(p.front()->Y, cols.begin()->second.back());
            EXPECT_EQ(p.front()->Shape, ShapeSquare);
            for (std::size_t i = 1; i < p.size(); ++i)
                EXPECT_EQ(p[i]->Shape, ShapeRound);
            EXPECT_GT(signedArea2(p), 0) << "pins not numbered anticlockwise seen from the component side";
            // The pin after the last of the left row is the bottom one of the right row.
            EXPECT_EQ(p[pins / 2]->Y, cols.rbegin()->second.front());
        });
    EXPECT_EQ(n, 11);
}

TEST_F(StarterMacros, SilHeadersAreOneRowOnTheGrid)
{
    const int n = forEach(R"(SIL/SIL 1x(\d+)\.lmk)", [](const std::smatch& m, const MacroFileContent& c) {
        const auto p = pads(c.elements);
        ASSERT_EQ(p.size(), std::stoul(m[1]));
        std::vector<std::int32_t> xs;
        for (const TObjekt* e : p) {
            EXPECT_EQ(e->Y, 0);
            xs.push_back(e->X);
        }
        EXPECT_TRUE(std::is_sorted(xs.begin(), xs.end())) << "pins not numbered along the row";
        expectSteps(xs, 254);
        EXPECT_EQ(p.front()->Shape, ShapeSquare);
    });
    EXPECT_EQ(n, 9);
}

TEST_F(StarterMacros, SoicPinsAreOnTheirPitchWithTheBodyBetweenTheRows)
{
    const int n = forEach(R"(SMD/SOIC-(\d+)\.lmk)", [](const std::smatch& m, const MacroFileContent& c) {
        const auto p = pads(c.elements);
        const std::size_t pins = std::stoul(m[1]);
        ASSERT_EQ(p.size(), pins);
        const auto cols = columns(p);
        ASSERT_EQ(cols.size(), 2u);
        for (const auto& [x, ys] : cols)
            expectSteps(ys, 127);
        EXPECT_GT(signedArea2(p), 0);
        // The lands reach out to about the lead tips (6.0 mm across) and leave the body free.
        const TRect left = Bounds(*p.front()), right = Bounds(*p.back());
        const std::int64_t e = p.front()->Clearance;
        EXPECT_GE(right.right - e - (left.left + e), 600);
        EXPECT_LT(right.left + e - (left.right - e), 390);
        EXPECT_GT(right.left + e - (left.right - e), 200);
    });
    EXPECT_EQ(n, 3);
}

TEST_F(StarterMacros, TwoLeadedPartsHaveTheSpacingTheirNameSays)
{
    const int n = forEach(R"(Passive/.* ([\d.]+)\.lmk)", [](const std::smatch& m, const MacroFileContent& c) {
        const auto p = pads(c.elements);
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(p[1]->X - p[0]->X, units(m[1]));
        EXPECT_EQ(p[1]->Y, p[0]->Y);
    });
    EXPECT_EQ(n, 3);

    const auto& hole = readBack->at("Mechanical/Mounting hole 3.2.lmk");
    const auto p = pads(hole.elements);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(2 * p[0]->Size2, 320);

    // Chips: two lands either side of the body, the print lines as long as the body.
    const int chips =
        forEach(R"(SMD/Chip (\d\d)(\d\d)\.lmk)", [](const std::smatch& m, const MacroFileContent& c) {
            const auto p = pads(c.elements);
            ASSERT_EQ(p.size(), 2u);
            const std::int32_t length = std::stoi(m[1]) * 254 / 10; // inch names: 0805 = 0.08 x 0.05 in
            const std::int32_t gap = (p[1]->X - p[1]->Size1 / 2) - (p[0]->X + p[0]->Size1 / 2);
            EXPECT_GT(gap, 0);
            EXPECT_LT(gap, length);
            EXPECT_GT(p[1]->X - p[0]->X + p[1]->Size1, length) << "lands do not reach past the body's ends";
        });
    EXPECT_EQ(chips, 3);

    const auto sot = pads(readBack->at("SMD/SOT-23.lmk").elements);
    ASSERT_EQ(sot.size(), 3u);
    EXPECT_EQ(sot[1]->X - sot[0]->X, 190);
    EXPECT_EQ(2 * sot[2]->X, sot[0]->X + sot[1]->X) << "pin 3 not opposite the middle";
}

TEST_F(StarterMacros, ThroughHolePadsArePlatedPairsThatADropPlacesOnBothSides)
{
    for (const auto& [path, m] : *readBack) {
        SCOPED_TRACE(path);
        const ElementList& list = m.elements;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const TObjekt& e = *list[i];
            if (e.Kind != KindPad || e.Layer != LayerK1)
                continue;
            // The twin follows its pad at once: same hole, same copper, on K2, linked both ways.
            ASSERT_LT(i + 1, list.size());
            const TObjekt& twin = *list[i + 1];
            EXPECT_EQ(e.Twin, &twin);
            EXPECT_EQ(twin.Twin, &e);
            EXPECT_EQ(twin.Kind, KindPad);
            EXPECT_EQ(twin.Layer, LayerK2);
            EXPECT_EQ(std::tie(twin.X, twin.Y, twin.Size1, twin.Size2, twin.Shape, twin.Clearance),
                      std::tie(e.X, e.Y, e.Size1, e.Size2, e.Shape, e.Clearance));
        }
        for (const auto& e : list)
            if (e->Kind == KindPad)
                EXPECT_NE(e->Twin, nullptr) << "a through-hole pad on one side only";
    }

    // Dropped from its file with the start layer K2 active, a DIP stays a side-1 part (print on
    // B1) and every pin has copper on both sides, linked as one plated hole; with K1 active the
    // side match flips it whole.
    for (const std::uint8_t active : {LayerK1, LayerK2}) {
        SCOPED_TRACE(active == LayerK1 ? "K1 active" : "K2 active");
        MacroPreview preview;
        const MacroLoadResult loaded =
            preview.LoadMacroPreview((kMacroDir / "DIP/DIP-8 7.62.lmk").string(), active);
        ASSERT_TRUE(loaded.loaded);
        EXPECT_EQ(loaded.sideMatched, active == LayerK1);
        TProject project;
        NewBoard(project, "Platine 1");
        DropMacro(project, preview.elements(), {1016, -1016});
        int k1 = 0, k2 = 0, print = 0;
        for (const auto& e : project.currentBoard()->Elements) {
            if (e->Kind == KindPad) {
                ASSERT_NE(e->Twin, nullptr);
                EXPECT_EQ(e->Twin->Twin, e.get());
                EXPECT_NE(e->Twin->Layer, e->Layer);
                EXPECT_EQ(std::pair(e->Twin->X, e->Twin->Y), std::pair(e->X, e->Y));
                (e->Layer == LayerK1 ? k1 : k2) += 1;
            } else {
                print += e->Layer == (active == LayerK2 ? LayerB1 : LayerB2);
            }
        }
        EXPECT_EQ(k1, 8);
        EXPECT_EQ(k2, 8);
        EXPECT_GT(print, 0);
    }
}

TEST_F(StarterMacros, SideMatchPutsEveryPartOnTheSideTheActiveLayerMeans)
{
    // The side of the part (its print) after the automatic side match, by active layer: a
    // through-hole part is soldered on K2, so K2 and B1 keep it unmirrored on side 1; an SMD part
    // sits on the copper of its own side.
    struct Case {
        std::uint8_t active;
        int throughHoleSide;
        int smdSide;
    };
    const Case cases[] = {{LayerK1, 2, 1}, {LayerB1, 1, 1}, {LayerK2, 1, 2}, {LayerB2, 2, 2}};
    for (const Footprint& f : *generated) {
        SCOPED_TRACE(f.path);
        const ElementList& macro = readBack->at(f.path).elements;
        const bool smd = pads(macro).front()->Kind == KindSmdPad;
        for (const Case& c : cases) {
            SCOPED_TRACE("active layer " + std::to_string(c.active));
            const bool flip = macroNeedsSideChange(macro, c.active);
            const int side = smd ? c.smdSide : c.throughHoleSide;
            EXPECT_EQ(flip, side == 2);
            // After the flip (mirror and change of side) the part matches: asked again, no flip.
            ElementList placed;
            CopyElementList(placed, macro);
            if (flip) {
                mirrorMacro(placed);
                changeMacroSide(placed);
            }
            EXPECT_FALSE(macroNeedsSideChange(placed, c.active));
            for (const auto& e : placed)
                if (!e->isPadLike())
                    EXPECT_EQ(e->Layer, side == 1 ? LayerB1 : LayerB2);
        }
    }
}
