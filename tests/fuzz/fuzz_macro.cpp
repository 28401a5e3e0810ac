// Feeds arbitrary bytes to the macro-file reader, then writes and reads back what it accepted.
#include "document/layoutfile.h"
#include "edit/layouttext.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace trevok;
    try {
        MacroFileContent m = ParseMacroFile({data, size}, "fuzz.lmk", 254.0, ConvertMacroFontTexts);
        const std::vector<std::uint8_t> bytes = EncodeMacroFile(m.elements, m.line1, m.line2);
        MacroFileContent again = ParseMacroFile(bytes, "again.lmk");
        if (again.elements.size() != m.elements.size())
            std::abort();
    } catch (const TrevokError&) {
    }
    return 0;
}
