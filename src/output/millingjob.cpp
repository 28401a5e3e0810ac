#include "output/millingjob.h"

#include "document/messages.h"
#include "document/project.h"

#include <filesystem>
#include <future>

namespace trevok
{

std::optional<IsolationResult> IsolateBoard(const TBoard& board, const MillingOptions& o,
                                            MillingProgress* progress)
{
    if (!LayerHasElements(board.Elements, o.layer))
        throw TrevokError(MsgId::MillLayerEmpty);
    if (!LayerHasContourElements(board.Elements, o))
        return IsolationResult{};
    // Pieces joined only through a ground plane are one net: the mill need not part them, but
    // the plane is not milled, so such joins are listed as a warning. The nets are traced on a
    // thread of their own while the shape polygons are built: the two need nothing of each
    // other, and neither keeps every core busy all the time.
    std::future<MillingNets> tracing =
        std::async(std::launch::async, [&board] { return MillingNetsOf(board); });
    std::optional<MillingNets> nets;
    return ComputeIsolation(board.Elements, o, progress, [&]() -> const MillingNets& {
        if (!nets)
            nets = tracing.get();
        return *nets;
    });
}

std::optional<MillingJobResult> RunMillingJob(const MillingJob& job, MillingProgress* progress)
{
    const TBoard& board = *job.board;
    MillingJobResult r;
    // The drill and outline files do not depend on the contours; a missing outline refuses the
    // job before the long computation.
    if (job.format == MillingFormat::Gcode) {
        auto side = GcodeSideFiles(board, job.milling.layer, job.gcode, &r.stats);
        if (!side)
            throw TrevokError(MsgId::OutlineNothingSelected);
        r.side = std::move(*side);
    } else {
        r.side = DrillHpgl(board, job.milling.layer, job.hpgl);
    }
    auto first = IsolateBoard(board, job.milling, progress);
    if (!first)
        return std::nullopt;
    r.isolation = std::move(*first);
    const auto further = IsolationPasses(r.isolation.contours, job.milling.width, job.passes,
                                         BoardRectangle(board.BoardWidth, board.BoardHeight), progress);
    if (!further || (progress && progress->cancel))
        return std::nullopt;
    r.isolation.passes = further->all();
    r.bytes = job.format == MillingFormat::Gcode
                  ? IsolationGcode(board, r.isolation.contours, r.isolation.passes, job.milling, job.gcode,
                                   &r.stats)
                  : IsolationHpgl(board, r.isolation.contours, r.isolation.passes, job.milling, job.hpgl);
    if (job.path.empty()) {
        for (const SideFile& f : r.side)
            r.files.push_back(f.name);
        return r;
    }
    r.files = WriteMillingFiles(r, job.path);
    return r;
}

std::vector<std::string> WriteMillingFiles(const MillingJobResult& result, const std::string& path)
{
    WriteWithSideFiles(path, result.bytes, result.side);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::vector<std::string> written{path};
    for (const SideFile& f : result.side)
        written.push_back((folder / f.name).string());
    return written;
}

} // namespace trevok
