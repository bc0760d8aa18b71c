#pragma once
// Helpers shared by the document and material tests: .ked files written from a record and the
// shipped material sources, over the shared test files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "correlation/CCorrelationFile.h"
#include "res/Prompt.h"
#include "correlation/RecordCodec.h"
#include "res/StringTable.h"
#include "testsupport/TestFiles.h"

namespace vexlan::test {

// A fresh, empty folder for one test, as a prefix for file names (ends with '/').
inline std::string ScratchDirectory(const std::string& name) { return ScratchFolder("doc-" + name).string() + "/"; }

inline std::vector<std::uint8_t> FileImage(const CorrelationRecord& record) {
    std::vector<std::uint8_t> bytes(kFileSize);
    bytes[0] = 2;
    bytes[1] = 0;
    EncodeRecord(record, bytes.data() + 2);
    return bytes;
}

inline void WriteKed(const std::string& path, const CorrelationRecord& record) { WriteBytes(path, FileImage(record)); }

inline std::string SourceDataFile(const char* name) {
    return (SourceDirectory() / "viewer/correlation/data" / name).string();
}

// Puts the shipped mname.fd and mlist.fd into dir.
inline void CopyShippedSources(const std::string& dir) {
    std::filesystem::copy_file(SourceDataFile("mname.fd"), dir + "mname.fd",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(SourceDataFile("mlist.fd"), dir + "mlist.fd",
                               std::filesystem::copy_options::overwrite_existing);
}

inline std::size_t CountAsked(const ScriptedPrompt& prompt, int id) {
    std::size_t n = 0;
    for (const auto& a : prompt.asked()) n += a.text == LoadString(id);
    return n;
}

}  // namespace vexlan::test
