#include "tools/vexlan-cli/CliSupport.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "correlation/CCorrelationFile.h"
#include "res/StringTable.h"

namespace vexlan::cli {

void AddFileArgument(CLI::App& app, std::string& path) {
    app.add_option("FILE", path, "Correlation file (.ked)")->required();
}

void AddMethodOption(CLI::App& app, std::string& method) {
    app.add_option("--method", method, "Correlation method: basic (as recorded), scot, phat or auto")
        ->check(CLI::IsMember({"basic", "scot", "phat", "auto"}));
}

void RecordJsonCommand::Configure(CLI::App& app) { AddFileArgument(app, path_); }

int RecordJsonCommand::Run(CommandStreams& io) {
    CorrelationRecord record;
    if (!ReadKedFile(path_, record, io, &fileBytes_)) return kExitFailure;
    PrintJson(io, ToJson(record));
    return kExitOk;
}

bool ReadKedFile(const std::string& path, CorrelationRecord& record, CommandStreams& io, std::size_t* fileBytes) {
    CCorrelationFile file;
    if (file.ReadCorrelationFile(path, record)) {
        if (fileBytes) *fileBytes = file.bytesRead();
        return true;
    }
    io.err << LoadString(file.lastError()) << '\n';
    return false;
}

int Fail(CommandStreams& io, const std::string& message) {
    io.err << "vexlan-cli: " << message << '\n';
    return kExitFailure;
}

void PrintJson(CommandStreams& io, const Json& value) {
    io.out << value.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

Json JsonFloat(float value) {
    if (!std::isfinite(value)) return nullptr;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    *result.ptr = 0;
    return std::strtod(text, nullptr);
}

std::string RecordText(const char* field, std::size_t size) {
    const void* end = std::memchr(field, 0, size);
    return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

}  // namespace vexlan::cli
