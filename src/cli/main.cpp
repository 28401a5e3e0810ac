// trevok-cli: the core of the editor without a window, for scripts and build pipelines.
#include "cli/cliargs.h"
#include "cli/commands.h"
#include "cli/common.h"
#include "cli/thumbnail.h"

#include <iostream>
#include <new>
#include <stdexcept>
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
    "      One layer as Gerber RS-274X. Every layer is written as seen from side 1, not\n"
    "      mirrored, so that it lines up with the drill file, as board houses expect;\n"
    "      --mirror mirrors x (artwork for side 2). Copper layers get the board outline\n"
    "      unless told otherwise; --board counts from 1 and defaults to the board shown in\n"
    "      the file; the offsets are for solder masks (0.30 and 0.10 mm).\n"
    "  export drill FILE.lay -o OUT [--board N] [--side 1|2] [--unit mm|inch]\n"
    "      [--format 3.2|3.3] [--keep-leading-zeros] [--convert-font-texts]\n"
    "      Excellon drill data: one hole per through-hole pad; mm defaults to 3.2, inch to 3.3.\n"
    "  nets FILE.lay [--board N] [--json]\n"
    "      The nets of the copper layers (element indices as info --elements numbers them)\n"
    "      and every connection between pads, realised by copper or not.\n"
    "  remove-realised FILE.lay -o OUT.lay [--board N] [--json]\n"
    "      Removes the connections that copper already realises and writes the result.\n"
    "  route FILE.lay -o OUT.lay [--board N] [--layer K1|K2] [--width MM] [--clearance MM]\n"
    "      [--track-clearance MM] (--all | --pair I,J) [--json]\n"
    "      Lays a track for the connection between pads I and J, or for every connection in\n"
    "      list order one after another; width 0.4 and clearance 0.2 mm unless given, on the\n"
    "      active copper layer of the file unless --layer says otherwise (the file keeps its\n"
    "      active layer). New tracks get the clearance 0.4 mm unless --track-clearance says\n"
    "      otherwise. Ends with status 3 when a connection was not found (the file is written).\n"
    "  contours FILE.lay --layer K1|K2 [--board N] [--width MM] [--passes N]\n"
    "      [--overlap PERCENT] [--json] [--convert-font-texts]\n"
    "      The isolation milling contours of a copper layer, grown by half the milling width\n"
    "      (0 to 4.99 mm): prints their number (with --passes also the number of paths of the\n"
    "      further passes, as for HPGL), or with --json every contour and pass path in board\n"
    "      units and the places where the mill cannot pass between two pieces of copper.\n"
    "  export hpgl FILE.lay --layer K1|K2 -o OUT.plt [--board N] [--width MM]\n"
    "      [--passes N] [--overlap PERCENT] [--texts outline|single]\n"
    "      [--drills none|one|per-diameter] [--centre-marks] [--ref-holes UL,UR,OL,OR|none]\n"
    "      [--mirror none|x|y] [--units inch|mm] [--language de|en|fr]\n"
    "      The isolation milling file (HPGL) and, beside it, the drill files named for the\n"
    "      language (BOHRUNG.PLT / DRILLING.PLT, BOHR_d.PLT / DRIL_d.PLT, d in 0.01 mm);\n"
    "      registration holes default to the lower left corner (UL). --passes 2 to 10 mills\n"
    "      further channels, each (100 - overlap) % of the width (0 to 90 %, default 0) further\n"
    "      out, stopping midway between close pieces of copper; 0 repeats them until the whole\n"
    "      board is milled, each line once (Ctrl-C stops the computation and writes nothing,\n"
    "      status 130). Plotter units are 1/1000 inch, or 40 per mm with --units mm.\n"
    "  export hpgl-outline FILE.lay -o OUT.plt [--outline selected|board] [--layer B1|B2]\n"
    "      [--board N] [--ref-holes UL,UR,OL,OR|none] [--mirror none|x|y] [--units inch|mm]\n"
    "      The board contour milling file: along every track and circle of the layer (the\n"
    "      file keeps no selection; the default), or along the board rectangle.\n"
    "  export gcode FILE.lay --layer K1|K2 -o OUT.nc [--board N] [--width MM] [--passes N]\n"
    "      [--overlap PERCENT] [--depth MM] [--drill-depth MM] [--safe-z MM] [--feed MM/MIN]\n"
    "      [--plunge MM/MIN] [--rapid MM/MIN] [--spindle RPM] [--dwell S]\n"
    "      [--drills none|one|per-diameter] [--centre-marks] [--ref-holes UL,UR,OL,OR|none]\n"
    "      [--outline board|selected|none] [--outline-layer B1|B2] [--outline-depth MM]\n"
    "      [--outline-tool MM] [--outline-step MM] [--tabs N] [--tab-width MM] [--tab-height MM]\n"
    "      [--texts outline|single] [--mirror none|x|y] [--json] [--language de|en|fr]\n"
    "      The isolation milling file as G-code for GRBL-style controllers (absolute mm, origin\n"
    "      at the board's lower left corner; defaults: width 0.20 (0 runs the cutter's centre on\n"
    "      the copper edge), depth 0.10, drill and outline depth 1.80,\n"
    "      safe height 2.00, feed 200, plunge 60, rapid 1000 mm/min, spindle 12000 (not 0), a\n"
    "      dwell of 2 s after starting it), paths and holes in the order of the shortest travel,\n"
    "      with the drill files (BOHRUNG.NC / DRILLING.NC, BOHR_d.NC / DRIL_d.NC) and the board\n"
    "      outline (KONTUR.NC / OUTLINE.NC) beside it. The outline runs outside the board\n"
    "      rectangle (the default) or outside the tracks and circles of --outline-layer\n"
    "      (selected) by the radius of its cutter (--outline-tool, default 2.00 mm), in steps of\n"
    "      0.60 mm, leaving 4 holding tabs 2.00 mm wide and 1.00 mm high unless told otherwise.\n"
    "      --passes and --overlap as for HPGL. --json prints the travel and cut lengths and the\n"
    "      estimated job time of all files.\n"
    "  export fab FILE.lay -o FOLDER [--board N] [--zip] [--convert-font-texts]\n"
    "      [--language de|en|fr]\n"
    "      The fabrication set for a board house: unmirrored Gerber layers (copper, print,\n"
    "      solder mask of both sides, outline) and the Excellon drill file, named after the\n"
    "      layout file, into FOLDER (made when missing), or one zip archive with --zip; prints\n"
    "      the paths written.\n"
    "  export image FILE.lay --format bmp|gif|emf|png|svg|pdf -o OUT [--board N] [--dpi N]\n"
    "      [--mono] [--convert-font-texts] [--language de|en|fr]\n"
    "      The board as a picture, as the editor's image export draws it: the visible layers\n"
    "      of the file at 100 to 600 dpi; --mono makes a black-and-white bitmap (bmp only).\n"
    "  print FILE.lay -o OUT.pdf [--board N] [--layers K1,B1,K2,B2] [--mask 1|2|1,2]\n"
    "      [--drill-plan 1|2|1,2] [--mirror] [--negative] [--targets] [--no-outline] [--template]\n"
    "      [--scale PERCENT] [--tiles NXxNY] [--gap MM] [--calibrate KX,KY]\n"
    "      [--centre | --offset X,Y] [--paper A4|Letter|Executive|...|WxH] [--language de|en|fr]\n"
    "      Printed artwork of one board on one PDF page, as the editor prints it: 1:1 unless\n"
    "      scaled, placed 1 mm from the top-left corner of the page unless --offset puts its\n"
    "      corner X mm right and Y mm down or --centre puts it in the middle (room for the\n"
    "      register marks of --targets); --template prints the board's template pictures under\n"
    "      the copper.\n"
    "  check FILE.lay [--board N] [--json] [--gap MM] [--width MM] [--ring MM]\n"
    "      [--drill MIN,MAX] [--edge MM] [--mill MM] [--language de|en|fr]\n"
    "      The design check: copper gaps between nets, track width, SMD pad size, annular\n"
    "      rings, drills, copper near or beyond the board edge, unrouted connections, broken\n"
    "      autorouted tracks, dangling track ends and print on pads (warnings), and with\n"
    "      --mill the places the mill cannot pass. Defaults: gap, width and SMD side 0.20,\n"
    "      ring 0.15, drill 0.30,6.00, edge 0.30 mm. Ends with status 3 when it finds errors\n"
    "      (warnings alone end with 0).\n"
    "  thumbnail FILE.lay OUT.png [--size N]\n"
    "      The board shown in the file as an N x N PNG picture for file managers (default\n"
    "      256, 16 to 4096): every layer in the Standard colours, the aspect kept, transparent\n"
    "      around the board. A file that cannot be read gives no picture and status 1.\n"
    "  --help       show this text\n"
    "  --version    show the program version\n"
    "\n"
    "Errors are printed to standard error and end with exit status 1 (2 for wrong usage).\n"
    "Milling commands end with status 3 when their output was made but the mill cannot pass\n"
    "between two pieces of copper somewhere; the places are printed to standard error. route\n"
    "ends with status 3 when a connection could not be laid.\n";

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
        if (cmd == "nets")
            return trevok::cli::runNets(rest, std::cout, std::cerr);
        if (cmd == "remove-realised")
            return trevok::cli::runRemoveRealised(rest, std::cout, std::cerr);
        if (cmd == "route")
            return trevok::cli::runRoute(rest, std::cout, std::cerr);
        if (cmd == "contours")
            return trevok::cli::runContours(rest, std::cout, std::cerr);
        if (cmd == "export")
            return trevok::cli::runExport(rest, std::cout, std::cerr);
        if (cmd == "print")
            return trevok::cli::runPrint(rest, std::cout, std::cerr);
        if (cmd == "thumbnail")
            return trevok::cli::runThumbnail(rest, std::cout, std::cerr);
        if (cmd == "check")
            return trevok::cli::runCheck(rest, std::cout, std::cerr);
    } catch (const trevok::cli::CliError& e) {
        std::cerr << "trevok-cli: " << e.what() << "\nTry trevok-cli --help.\n";
        return 2;
    } catch (const std::bad_alloc&) {
        // Nothing was written half: every output file is replaced atomically or not at all.
        std::cerr << "trevok-cli: " << trevok::cli::outOfMemoryText(rest) << "\n";
        return 1;
    } catch (const trevok::TrevokError& e) {
        trevok::cli::printError(std::cerr, e, trevok::cli::languageOf(rest), {});
        return 1;
    } catch (const std::exception& e) {
        // A fault the command did not expect; nothing was written half, as above.
        std::cerr << "trevok-cli: "
                  << trevok::MessageText(trevok::MsgId::CommandFailed, trevok::cli::languageOf(rest),
                                         {e.what()})
                  << "\n";
        return 1;
    }
    std::cerr << "trevok-cli: unknown command \"" << cmd << "\"\n" << kUsage;
    return 2;
}
