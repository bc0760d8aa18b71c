#pragma once
// Helpers shared by the document and material tests: scratch folders, .ked files written from a
// record, and the shipped material sources.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "CCorrelationFile.h"
#include "Prompt.h"
#include "RecordCodec.h"
#include "StringTable.h"

namespace vexlan::testing_support {

namespace fs = std::filesystem;

// A fresh, empty folder for one test; ends with '/'.
inline std::string ScratchDirectory(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vexlan-doc-" + name + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir.string() + "/";
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::uint8_t> FileImage(const CorrelationRecord& record)
{
    std::vector<std::uint8_t> bytes(kFileSize);
    bytes[0] = 2;
    bytes[1] = 0;
    EncodeRecord(record, bytes.data() + 2);
    return bytes;
}

inline void WriteKed(const std::string& path, const CorrelationRecord& record) { WriteBytes(path, FileImage(record)); }

inline std::string SourceDataFile(const char* name)
{
    const char* root = std::getenv("VEXLAN_SOURCE_DIR");
    const std::string base = root ? std::string(root) : std::string(VEXLAN_TEST_SOURCE_DIR);
    return base + "/viewer/correlation/data/" + name;
}

// Puts the shipped mname.fd and mlist.fd into dir.
inline void CopyShippedSources(const std::string& dir)
{
    fs::copy_file(SourceDataFile("mname.fd"), dir + "mname.fd", fs::copy_options::overwrite_existing);
    fs::copy_file(SourceDataFile("mlist.fd"), dir + "mlist.fd", fs::copy_options::overwrite_existing);
}

inline std::size_t CountAsked(const ScriptedPrompt& prompt, int id)
{
    std::size_t n = 0;
    for (const auto& a : prompt.asked())
        n += a.text == LoadString(id);
    return n;
}

}  // namespace vexlan::testing_support
