#pragma once
// Running vexlan-cli in-process from the tests, and finding the bundled sample files.

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tools/vexlan-cli/Subcommand.h"

namespace vexlan::test {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = cli::RunVexlanCli(args, out, err);
    return {code, out.str(), err.str()};
}

// A file of samples/ in the source tree (VEXLAN_SOURCE_DIR, else the working folder).
inline std::string SamplePath(const std::string& name) {
    const char* root = std::getenv("VEXLAN_SOURCE_DIR");
    return std::string(root ? root : ".") + "/samples/" + name;
}

}  // namespace vexlan::test
