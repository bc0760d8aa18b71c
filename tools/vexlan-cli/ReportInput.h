// What the report and export subcommands share: the unit and cursor options, and a correlation
// file read and recomputed into the values the report and the page are made of.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "view/print/ReportModel.h"
#include "tools/vexlan-cli/Subcommand.h"

namespace vexlan::cli {

struct ReportOptions {
    std::vector<std::string> files;
    std::string units = "metric";
    std::string time = "s";
    std::optional<int> cursor;
    std::string method = "basic";

    void Configure(CLI::App& app);
    int lengthUnit() const;
    int timeUnit() const;
};

struct LoadedReport {
    ReportValues values;
    FormTexts form;
    float totalTravelTime = 0;
};

// Reads and recomputes one file; on failure the system's message is on the error stream.
bool LoadReport(const std::string& path, const ReportOptions& options, CommandStreams& io, LoadedReport& out);

// Loads each of the options' files in turn and hands it to use; a file that cannot be loaded has
// its message printed and is passed over. Returns false when any file could not be loaded.
bool ForEachLoadedReport(const ReportOptions& options, CommandStreams& io,
                         const std::function<void(const std::string& path, const LoadedReport& report)>& use);

}  // namespace vexlan::cli
