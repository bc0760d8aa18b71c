// vexlan-cli: the correlation libraries from the command line. Exit 0 on success, 1 when the
// operation failed (the message is on stderr), 2 on wrong usage.
#include <iostream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/vexlan-cli/Subcommand.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes as on every system: the reports carry their own line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = vexlan::cli::RunVexlanCli(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout.good()) {
        // A full disk or a closed pipe: the output is incomplete, so do not report success.
        std::cerr << "vexlan-cli: could not write the output\n";
        return vexlan::cli::kExitFailure;
    }
    return code;
}
