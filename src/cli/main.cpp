// trevok-cli: the core of the editor without a window, for scripts and build pipelines.
#include <cstring>
#include <iostream>
#include <string>

namespace {

void printUsage(std::ostream& out)
{
    out << "Usage: trevok-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  --help       show this text\n"
           "  --version    show the program version\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(std::cerr);
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        printUsage(std::cout);
        return 0;
    }
    if (cmd == "--version") {
        std::cout << "trevok-cli " << TREVOK_VERSION << "\n";
        return 0;
    }
    std::cerr << "trevok-cli: unknown command \"" << cmd << "\"\n";
    printUsage(std::cerr);
    return 2;
}
