// trevok-cli: the core of the editor without a window, for scripts and build pipelines.
#include "cli/cliargs.h"
#include "cli/commands.h"

#include <iostream>
#include <string>
#include <vector>

namespace
{

const char* const kUsage =
    "Usage: trevok-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  info [--json] [--elements] [--language de|en|fr] FILE\n"
    "      What a layout (.lay) or macro (.lmk) file holds. --json prints one JSON object;\n"
    "      --elements adds every element (kind codes: 1 line, 2 pad, 3 font text, 4 area,\n"
    "      5 circle, 6 track, 7 layout text, 8 SMD pad; references are element indices or -1).\n"
    "  convert [--language de|en|fr] IN OUT\n"
    "      Reads a layout or macro file of any version and writes it as version 4.\n"
    "  export gerber FILE.lay --layer K1|B1|K2|B2|LStop1|LStop2 -o OUT [--board N]\n"
    "      [--mirror|--no-mirror] [--outline|--no-outline] [--punch-holes] [--mark-holes]\n"
    "      [--invert] [--pad-offset MM] [--smd-offset MM] [--no-pads] [--no-smd-pads]\n"
    "      [--convert-font-texts] [--language de|en|fr]\n"
    "      One layer as Gerber RS-274X. Side 2 layers are mirrored and copper layers get the\n"
    "      board outline unless told otherwise; --board counts from 1 and defaults to the\n"
    "      board shown in the file; the offsets are for solder masks (0.30 and 0.10 mm).\n"
    "  export drill FILE.lay -o OUT [--board N] [--side 1|2] [--unit mm|inch]\n"
    "      [--format 3.2|3.3] [--keep-leading-zeros] [--convert-font-texts]\n"
    "      Excellon drill data: one hole per through-hole pad; mm defaults to 3.2, inch to 3.3.\n"
    "  --help       show this text\n"
    "  --version    show the program version\n"
    "\n"
    "Errors are printed to standard error and end with exit status 1 (2 for wrong usage).\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string cmd = argv[1];
    const std::vector<std::string> rest(argv + 2, argv + argc);
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (cmd == "--version") {
        std::cout << "trevok-cli " << TREVOK_VERSION << "\n";
        return 0;
    }
    try {
        if (cmd == "info")
            return trevok::cli::runInfo(rest, std::cout, std::cerr);
        if (cmd == "convert")
            return trevok::cli::runConvert(rest, std::cout, std::cerr);
        if (cmd == "export")
            return trevok::cli::runExport(rest, std::cout, std::cerr);
    } catch (const trevok::cli::CliError& e) {
        std::cerr << "trevok-cli: " << e.what() << "\nTry trevok-cli --help.\n";
        return 2;
    }
    std::cerr << "trevok-cli: unknown command \"" << cmd << "\"\n" << kUsage;
    return 2;
}
