#pragma once
// One row per correlation file for vexlan-cli summary: what an office engineer scans a folder
// of results for, written as CSV (RFC 4180) or JSON.

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/vexlan-cli/CliSupport.h"
#include "correlation/analysis/CorrelationMethod.h"

namespace vexlan::cli {

struct SummaryRow {
    std::string file;
    bool recordRead = false;  // false: only file and error are filled in
    std::string createdDate, createdTime, title, userReference;
    int sensorPair = 0;
    float totalPipeLength = 0;
    bool analysed = false;  // false: the record was read but its correlation could not be recomputed
    float timeDelay = 0, distanceFromSensor1 = 0, distanceFromSensor2 = 0;
    std::string method;
    int quality = 0;
    std::vector<std::string> flags;
    std::string error;  // why the file could not be read or analysed; empty when it was
};

// Every .ked file (any case) named, or found anywhere under a named folder, folders' files in
// name order. A name that is neither is kept so that its row can say why it was not read.
std::vector<std::string> CollectKedFiles(const std::vector<std::string>& paths);

SummaryRow SummariseFile(const std::string& path, analysis::CorrelationMethod method);

void WriteSummaryCsv(std::ostream& out, const std::vector<SummaryRow>& rows);
Json SummaryJson(const std::vector<SummaryRow>& rows);

// One CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace vexlan::cli
