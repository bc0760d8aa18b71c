#pragma once
// Reads and writes a .ked file: a version word (2) followed by the 20400-byte record image.

#include <cstdio>
#include <string>

#include "CorrelationRecord.h"
#include "Prompt.h"

namespace vexlan {

constexpr int kErrorOpenFile = 62016;
constexpr int kErrorReadFile = 62017;
constexpr int kErrorCloseFile = 62018;
constexpr int kErrorWriteFile = 62019;
constexpr int kErrorIncompatibleFile = 62020;
constexpr std::uint16_t kFileVersion = 2;
constexpr std::size_t kFileSize = kRecordSize + 2;

class CCorrelationFile {
public:
    bool ReadCorrelationFile(const std::string& path, CorrelationRecord& record);
    // Writes over an existing file only; never creates or truncates.
    bool WriteCorrelationFile(const std::string& path, const CorrelationRecord& record);
    // Creates the file when missing; never truncates. pathNameOut receives path in every case.
    bool WriteCorrelationFileAs(const std::string& path, const CorrelationRecord& record, std::string& pathNameOut);
    void ShowLastError(IPrompt& prompt) const;
    int lastError() const { return errorId_; }

private:
    bool WriteOpened(std::FILE* file, const CorrelationRecord& record);
    int errorId_ = 0;
};

}  // namespace vexlan
