// Feeds arbitrary bytes to the layout-file reader, then writes and reads back what it accepted.
#include "document/layoutfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace trevok;
    try {
        for (bool appending : {false, true}) {
            LayoutFileContent c = ParseLayoutFile({data, size}, "fuzz.lay", 1, appending);
            if (c.error || appending)
                continue;
            // What was read must survive a round trip through the writer.
            TProject p;
            for (auto& b : c.boards)
                p.Boards.push_back(std::move(b));
            p.Current = p.Boards.empty() ? -1 : 0;
            if (c.info)
                p.Info = *c.info;
            const std::vector<std::uint8_t> bytes = EncodeLayoutFile(p);
            LayoutFileContent again = ParseLayoutFile(bytes, "again.lay", 1);
            if (again.error || again.boards.size() != p.Boards.size())
                std::abort();
            for (std::size_t i = 0; i < p.Boards.size(); ++i)
                if (again.boards[i]->Elements.size() != p.Boards[i]->Elements.size())
                    std::abort();
        }
    } catch (const TrevokError&) {
    }
    return 0;
}
