#pragma once
// The list of bundled samples: one line per file, "FILE.ked kedgen-arguments…". Arguments are
// separated by blanks; double quotes group an argument that holds blanks. '#' starts a comment
// line. Regenerating every sample from the list gives byte-identical files.

#include <string>
#include <vector>

namespace vexlan::kedgen {

struct SampleEntry {
    std::string file;               // name inside the samples folder
    std::vector<std::string> args;  // kedgen's arguments, without -o
    int line = 0;
};

// False with a message naming the line when the list cannot be read or a line is malformed.
bool ReadSampleManifest(const std::string& path, std::vector<SampleEntry>& entries, std::string& error);

// Splits one line into arguments; false on an unterminated quote.
bool SplitArguments(const std::string& line, std::vector<std::string>& args);

// Generates one sample into directory (kedgen's exit code; messages go to err).
int GenerateSample(const SampleEntry& entry, const std::string& directory, std::ostream& err);

}  // namespace vexlan::kedgen
