#pragma once
// kedgen's command line: writes a synthetic .ked correlation file with a leak planted at a
// chosen position on a chosen pipe, or with --corpus a whole set of them (see Corpus.h). The
// same arguments always give the same bytes.
// Exit 0 on success, 1 when a file could not be written, 2 on wrong or unusable arguments.

#include <iosfwd>
#include <string>
#include <vector>

#include "testsupport/generator/GeneratorSettings.h"

namespace CLI {
class App;
}

namespace vexlan::kedgen {

// Parses args into app (CLI11 takes them last first): -1 when parsed, otherwise the exit code
// (0 after --help, 2 for wrong arguments, with the message written).
int ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// args without the program name.
int RunKedgen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Reads the options of one file into settings and the output path. Returns -1 when the file
// is to be made, else the exit code (0 after --help, 2 on wrong arguments, message in err).
int ParseFileArguments(const std::vector<std::string>& args, GeneratorSettings& settings, std::string& output,
                       std::ostream& out, std::ostream& err);

}  // namespace vexlan::kedgen
