#pragma once
// Helpers every subcommand may use: reading a .ked file with the system's messages, and
// printing JSON.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

#include "correlation/CorrelationRecord.h"
#include "tools/vexlan-cli/Subcommand.h"

namespace vexlan::cli {

// Objects keep their keys in the order they were added: the order of the record's fields.
using Json = nlohmann::ordered_json;

// Declares the required FILE argument: the correlation file the subcommand reads.
void AddFileArgument(CLI::App& app, std::string& path);

// Declares --method basic|scot|phat|auto (default basic): the correlation method to show.
void AddMethodOption(CLI::App& app, std::string& method);

// A subcommand that reads the one correlation file named by FILE and prints JSON made from it.
class RecordJsonCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override;
    int Run(CommandStreams& io) override;

protected:
    virtual Json ToJson(const CorrelationRecord& record) const = 0;
    // Bytes of the file read, counted up to a whole file.
    std::size_t fileBytes() const { return fileBytes_; }

private:
    std::string path_;
    std::size_t fileBytes_ = 0;
};

// Reads path into record. On failure prints the file layer's message (string table) on the
// error stream and returns false.
bool ReadKedFile(const std::string& path, CorrelationRecord& record, CommandStreams& io,
                 std::size_t* fileBytes = nullptr);

// Prints "vexlan-cli: <message>" on the error stream and returns kExitFailure.
int Fail(CommandStreams& io, const std::string& message);

// Prints the value, indented, followed by a newline. Bytes that are not UTF-8 (old record
// texts) are replaced rather than failing the whole output.
void PrintJson(CommandStreams& io, const Json& value);

// A single-precision value as the shortest decimal that reads back as the same float (so 0.1f
// prints as 0.1); NaN and infinities become null.
Json JsonFloat(float value);

// A zero-terminated text field of the record (the whole field when it has no terminator).
std::string RecordText(const char* field, std::size_t size);

template <std::size_t Size>
std::string RecordText(const char (&field)[Size]) {
    return RecordText(field, Size);
}

}  // namespace vexlan::cli
