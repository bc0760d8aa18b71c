#pragma once
// Reads and writes a .ked file: a version word (2) followed by the 20400-byte record image.

#include <string>

#include "correlation/CorrelationRecord.h"
#include "res/StringIds.h"
#include "res/Prompt.h"

namespace vexlan {

constexpr std::uint16_t kFileVersion = 2;
constexpr std::size_t kFileSize = kRecordSize + 2;

class CCorrelationFile {
public:
    bool ReadCorrelationFile(const std::string& path, CorrelationRecord& record);
    // Both write a complete new copy and put it in place of the file only once it is whole, so a
    // failed write leaves the file as it was (or absent). Bytes beyond the record in an existing
    // file are kept. A read-only file fails with string_id::kMsgOutputReadOnly unless replaceReadOnly.
    // Save: over an existing file only.
    bool WriteCorrelationFile(const std::string& path, const CorrelationRecord& record, bool replaceReadOnly = false);
    // Save As: creates the file when missing. pathNameOut receives path in every case.
    bool WriteCorrelationFileAs(const std::string& path, const CorrelationRecord& record, std::string& pathNameOut,
                                bool replaceReadOnly = false);
    // The file layout accepts a file cut short; the rest of the record then stays as it was.
    // Bytes of the last read, version word included, counted up to a whole file.
    std::size_t bytesRead() const { return bytesRead_; }
    bool lastReadComplete() const { return bytesRead_ == kFileSize; }
    void ShowLastError(IPrompt& prompt) const;
    int lastError() const { return errorId_; }

private:
    bool WriteReplacing(const std::string& path, const CorrelationRecord& record, bool replaceReadOnly);
    int errorId_ = 0;
    std::size_t bytesRead_ = 0;
};

}  // namespace vexlan
