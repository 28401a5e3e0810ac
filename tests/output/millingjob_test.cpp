// The milling job: which files a run writes (or, dry, would write) in each format and language,
// the problems it returns, and the refusals that come before the long computation.
#include "output/millingjob.h"

#include "document/messages.h"
#include "document/project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <unistd.h>

using namespace trevok;

namespace
{

/// Two pads 50 units apart between edges (drills 80 and 60), an outline track on B2.
TBoard jobBoard()
{
    TBoard b;
    b.Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({1210, -1000}, 80, ShapeRound, LayerK1, 30));
    auto outline = NewTrack(20, LayerB2);
    AddPoint(*outline, {0, 0});
    AddPoint(*outline, {3000, 0});
    AddPoint(*outline, {3000, -2000});
    b.Elements.push_back(std::move(outline));
    return b;
}

} // namespace

TEST(MillingJob, FilesProblemsAndRefusals)
{
    const TBoard board = jobBoard();
    struct Case {
        const char* what;
        MillingFormat format;
        int language;
        DrillFiles drills;
        OutlineSource outline;
        std::uint8_t layer;
        std::vector<std::string> files; // the side files' names; empty with a refusal
        std::optional<MsgId> refusal;
    };
    const Case cases[] = {
        {"HPGL, no drills", MillingFormat::Hpgl, 1, DrillFiles::None, OutlineSource::None, LayerK1, {}, {}},
        {"HPGL, one drill file, English",
         MillingFormat::Hpgl,
         1,
         DrillFiles::One,
         OutlineSource::None,
         LayerK1,
         {"DRILLING.PLT"},
         {}},
        {"HPGL per diameter, French keeps the German names",
         MillingFormat::Hpgl,
         2,
         DrillFiles::PerDiameter,
         OutlineSource::None,
         LayerK1,
         {"BOHR_80.PLT", "BOHR_60.PLT"},
         {}},
        {"G-code per diameter and the board outline, German",
         MillingFormat::Gcode,
         0,
         DrillFiles::PerDiameter,
         OutlineSource::Board,
         LayerK1,
         {"BOHR_80.NC", "BOHR_60.NC", "KONTUR.NC"},
         {}},
        {"G-code, outline along B2, English",
         MillingFormat::Gcode,
         1,
         DrillFiles::One,
         OutlineSource::Selected,
         LayerK1,
         {"DRILLING.NC", "OUTLINE.NC"},
         {}},
        {"empty layer",
         MillingFormat::Hpgl,
         1,
         DrillFiles::One,
         OutlineSource::None,
         LayerK2,
         {},
         MsgId::MillLayerEmpty},
        // The outline is refused before the layer is looked at: no long computation for nothing.
        {"empty layer and no outline",
         MillingFormat::Gcode,
         1,
         DrillFiles::None,
         OutlineSource::Selected,
         LayerK2,
         {},
         MsgId::OutlineNothingSelected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("trevok-millingjob-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        MillingJob job;
        job.board = &board;
        job.format = c.format;
        job.milling.layer = c.layer;
        job.milling.width = 60; // 30 units of growth each side close the 50-unit gap
        job.hpgl.language = job.gcode.language = c.language;
        job.hpgl.drills = job.gcode.drills = c.drills;
        job.gcode.outline = c.outline;
        job.gcode.outlineLayer = c.outline != OutlineSource::Selected ? 0 : c.refusal ? LayerB1 : LayerB2;
        if (c.refusal) {
            job.path = (dir / "iso").string();
            try {
                RunMillingJob(job);
                ADD_FAILURE() << "no refusal";
            } catch (const TrevokError& e) {
                EXPECT_EQ(e.id, *c.refusal);
            }
            EXPECT_TRUE(std::filesystem::is_empty(dir));
            continue;
        }
        // Dry: the names, nothing on the disk.
        const auto dry = RunMillingJob(job);
        ASSERT_TRUE(dry);
        EXPECT_EQ(dry->files, c.files);
        EXPECT_TRUE(std::filesystem::is_empty(dir));
        ASSERT_EQ(dry->isolation.problems.size(), 1u);
        EXPECT_EQ(dry->isolation.problems[0].kind, IsolationProblem::Kind::NoPassage);
        // Written: the same files, the isolation file first, and nothing else in the folder.
        job.path = (dir / "iso").string();
        const auto wet = RunMillingJob(job);
        ASSERT_TRUE(wet);
        ASSERT_EQ(wet->files.size(), c.files.size() + 1);
        EXPECT_EQ(wet->files[0], job.path);
        std::set<std::string> listed(wet->files.begin(), wet->files.end()), found;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            found.insert(entry.path().string());
        EXPECT_EQ(found, listed);
        for (std::size_t i = 0; i < c.files.size(); ++i)
            EXPECT_EQ(wet->files[i + 1], (dir / c.files[i]).string());
        EXPECT_EQ(wet->bytes, dry->bytes);
        std::filesystem::remove_all(dir);
    }
}
