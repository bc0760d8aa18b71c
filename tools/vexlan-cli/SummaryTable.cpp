#include "tools/vexlan-cli/SummaryTable.h"
#include "res/StringIds.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <ostream>

#include "correlation/CCorrelationFile.h"
#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/MethodDocument.h"
#include "res/StringTable.h"

namespace vexlan::cli {

namespace fs = std::filesystem;

namespace {

bool HasKedExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".ked";
}

std::vector<std::string> KedFilesUnder(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code error;
    // A folder that cannot be entered is skipped rather than ending the whole summary.
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && HasKedExtension(it->path())) found.push_back(it->path().string());
    std::sort(found.begin(), found.end());
    return found;
}

// The shortest decimal that reads back as the same float; blank when it is not finite.
std::string FloatText(float value) {
    const Json number = JsonFloat(value);
    return number.is_null() ? std::string() : number.dump();
}

// A message box text on one line, as a table cell should be.
std::string OneLine(std::string text) {
    std::string line;
    for (char c : text) {
        if (c != '\n')
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string JoinFlags(const std::vector<std::string>& flags) {
    std::string joined;
    for (const std::string& f : flags) joined += (joined.empty() ? "" : ";") + f;
    return joined;
}

constexpr const char* kColumns[] = {
    "file",
    "createdDate",
    "createdTime",
    "title",
    "userReference",
    "sensorPair",
    "totalPipeLength",
    "timeDelay",
    "distanceFromSensor1",
    "distanceFromSensor2",
    "method",
    "quality",
    "flags",
    "error",
};

std::vector<std::string> CsvCells(const SummaryRow& r) {
    std::vector<std::string> cells(std::size(kColumns));
    cells[0] = r.file;
    if (r.recordRead) {
        cells[1] = r.createdDate;
        cells[2] = r.createdTime;
        cells[3] = r.title;
        cells[4] = r.userReference;
        cells[5] = std::to_string(r.sensorPair);
        cells[6] = FloatText(r.totalPipeLength);
    }
    if (r.analysed) {
        cells[7] = FloatText(r.timeDelay);
        cells[8] = FloatText(r.distanceFromSensor1);
        cells[9] = FloatText(r.distanceFromSensor2);
        cells[10] = r.method;
        cells[11] = std::to_string(r.quality);
        cells[12] = JoinFlags(r.flags);
    }
    cells[13] = r.error;
    return cells;
}

}  // namespace

std::vector<std::string> CollectKedFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            const std::vector<std::string> found = KedFilesUnder(path);
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(path);
        }
    }
    return files;
}

SummaryRow SummariseFile(const std::string& path, analysis::CorrelationMethod method) {
    SummaryRow row;
    row.file = path;
    ScriptedPrompt prompt;
    // The document is large: on the heap, one per file, so that no state passes between files.
    auto doc = std::make_unique<CVexlanDoc>(prompt);
    CCorrelationFile file;
    if (!file.ReadCorrelationFile(path, doc->record())) {
        row.error = OneLine(LoadString(file.lastError()));
        return row;
    }
    const CorrelationRecord& r = doc->record();
    row.recordRead = true;
    row.createdDate = RecordText(r.createdDate);
    row.createdTime = RecordText(r.createdTime);
    row.title = RecordText(r.title);
    row.userReference = RecordText(r.userReference);
    row.sensorPair = r.sensorPair;
    // The lengths as recorded: the document's own total never drops below its division guard.
    for (int i = 0; i < doc->CountSegmentsInUse(); ++i) row.totalPipeLength += r.segments[i].length;

    const analysis::AnalysisResult analysed = analysis::RecomputeWithMethod(*doc, method);
    if (doc->computeProblem() != ComputeProblem::None) {
        const std::string text =
            FormatString(string_id::kMsgCannotRecompute, DescribeComputeProblem(doc->computeProblem()));
        row.error = text;
        return row;
    }
    if (!analysed.finite) {
        row.error = LoadString(string_id::kMsgNotAnalysable);
        return row;
    }
    row.analysed = true;
    row.timeDelay = doc->timeDelay();
    row.distanceFromSensor1 = doc->distanceFromSensor1();
    row.distanceFromSensor2 = doc->distanceFromSensor2();
    row.method = analysis::MethodKey(analysed.method);
    row.quality = int(analysed.quality + 0.5);
    for (int bit = 0; bit < analysis::kFlagCount; ++bit)
        if (analysed.flags & (1u << bit)) row.flags.push_back(analysis::FlagKey(1u << bit));
    return row;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

void WriteSummaryCsv(std::ostream& out, const std::vector<SummaryRow>& rows) {
    auto writeLine = [&out](const auto& cells) {
        bool first = true;
        for (const auto& cell : cells) {
            out << (first ? "" : ",") << CsvField(cell);
            first = false;
        }
        out << "\r\n";  // the record separator RFC 4180 names
    };
    writeLine(kColumns);
    for (const SummaryRow& r : rows) writeLine(CsvCells(r));
}

Json SummaryJson(const std::vector<SummaryRow>& rows) {
    Json all = Json::array();
    for (const SummaryRow& r : rows) {
        Json j;
        j["file"] = r.file;
        if (r.recordRead) {
            j["createdDate"] = r.createdDate;
            j["createdTime"] = r.createdTime;
            j["title"] = r.title;
            j["userReference"] = r.userReference;
            j["sensorPair"] = r.sensorPair;
            j["totalPipeLength"] = JsonFloat(r.totalPipeLength);
        }
        if (r.analysed) {
            j["timeDelay"] = JsonFloat(r.timeDelay);
            j["distanceFromSensor1"] = JsonFloat(r.distanceFromSensor1);
            j["distanceFromSensor2"] = JsonFloat(r.distanceFromSensor2);
            j["method"] = r.method;
            j["quality"] = r.quality;
            j["flags"] = r.flags;
        }
        j["error"] = r.error.empty() ? Json(nullptr) : Json(r.error);
        all.push_back(j);
    }
    return all;
}

}  // namespace vexlan::cli
