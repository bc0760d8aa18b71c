#pragma once
// Scratch folders, file bytes and a document that recomputes a generated record.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "CVexlanDoc.h"
#include "CorrelationRecord.h"
#include "Prompt.h"

namespace vexlan::kedgen::testing {

namespace fs = std::filesystem;

// A fresh, empty folder for one test.
inline fs::path ScratchDirectory(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vexlan-kedgen-" + name + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

inline std::vector<std::uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline fs::path SourceDirectory()
{
    const char* dir = std::getenv("VEXLAN_SOURCE_DIR");
    return dir ? fs::path(dir) : fs::path(".");
}

// A document holding a copy of the record, recomputed as the viewer does after opening it.
struct Recomputed {
    ScriptedPrompt prompt;
    std::unique_ptr<CVexlanDoc> doc;

    explicit Recomputed(const CorrelationRecord& record) : doc(std::make_unique<CVexlanDoc>(prompt))
    {
        doc->record() = record;
        doc->RecomputeCorrelation();
    }
};

}  // namespace vexlan::kedgen::testing
