#include "testsupport/generator/SampleManifest.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include "testsupport/generator/KedgenCommandLine.h"

namespace vexlan::kedgen {

bool SplitArguments(const std::string& line, std::vector<std::string>& args) {
    args.clear();
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    return !quoted;
}

bool ReadSampleManifest(const std::string& path, std::vector<SampleEntry>& entries, std::string& error) {
    entries.clear();
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        SampleEntry entry;
        entry.line = number;
        if (!SplitArguments(line, entry.args) || entry.args.size() < 2) {
            error = path + ":" + std::to_string(number) + ": expected FILE.ked followed by kedgen arguments";
            return false;
        }
        entry.file = entry.args.front();
        entry.args.erase(entry.args.begin());
        if (entry.file.find('/') != std::string::npos || entry.file.size() < 5 ||
            entry.file.compare(entry.file.size() - 4, 4, ".ked") != 0) {
            error = path + ":" + std::to_string(number) + ": the file must be a plain name ending in .ked";
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

int GenerateSample(const SampleEntry& entry, const std::string& directory, std::ostream& err) {
    std::vector<std::string> args = entry.args;
    args.push_back("-o");
    args.push_back(directory + "/" + entry.file);
    std::ostringstream ignored;
    return RunKedgen(args, ignored, err);
}

}  // namespace vexlan::kedgen
