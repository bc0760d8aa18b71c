#include "correlation/CCorrelationFile.h"
#include "res/StringIds.h"

#include <cstdio>
#include <vector>

#include "correlation/RecordCodec.h"
#include "storage/SafeFileWriter.h"

namespace vexlan {

bool CCorrelationFile::ReadCorrelationFile(const std::string& path, CorrelationRecord& record) {
    // Not fopen: a FIFO would block until something writes to it.
    bytesRead_ = 0;
    std::FILE* file = OpenRegularFileForReading(path, errorId_);
    if (!file) return false;
    bool ok = true;
    std::uint8_t version[2] = {0, 0};
    // A file shorter than the version word has version 0, even when its one byte is 02.
    if (std::fread(version, 1, 2, file) != 2) version[0] = version[1] = 0;
    if (std::ferror(file)) {
        errorId_ = string_id::kMsgFileNotRead;
        ok = false;
    } else if ((version[0] | (version[1] << 8)) != kFileVersion) {
        errorId_ = string_id::kMsgIncompatibleFile;
        ok = false;
    } else {
        // A short file keeps the rest of the record as it was: start from its current image.
        static_assert(kRecordSize > 0);
        std::uint8_t image[kRecordSize];
        EncodeRecord(record, image);
        bytesRead_ = 2 + std::fread(image, 1, kRecordSize, file);
        if (std::ferror(file)) {
            errorId_ = string_id::kMsgFileNotRead;
            ok = false;
        } else
            DecodeRecord(image, record);
    }
    if (std::fclose(file) != 0) {
        errorId_ = string_id::kMsgFileNotClosed;
        ok = false;
    }
    return ok;
}

bool CCorrelationFile::WriteReplacing(const std::string& path, const CorrelationRecord& record, bool replaceReadOnly) {
    std::vector<std::uint8_t> bytes(kFileSize);
    bytes[0] = static_cast<std::uint8_t>(kFileVersion);
    bytes[1] = static_cast<std::uint8_t>(kFileVersion >> 8);
    EncodeRecord(record, bytes.data() + 2);
    const OutputFileInfo target = InspectOutputPath(path);
    if (target.exists && target.errorId == 0) {
        const FileTail tail = ReadFileFrom(target.target, kFileSize);
        if (tail.errorId != 0) {
            errorId_ = tail.errorId;
            return false;
        }
        bytes.insert(bytes.end(), tail.bytes.begin(), tail.bytes.end());
    }
    errorId_ = WriteFileSafely(path, bytes.data(), bytes.size(), SafeWriteOptions{replaceReadOnly});
    return errorId_ == 0;
}

bool CCorrelationFile::WriteCorrelationFile(const std::string& path, const CorrelationRecord& record,
                                            bool replaceReadOnly) {
    if (!InspectOutputPath(path).exists) {
        errorId_ = string_id::kMsgFileNotOpened;
        return false;
    }
    return WriteReplacing(path, record, replaceReadOnly);
}

bool CCorrelationFile::WriteCorrelationFileAs(const std::string& path, const CorrelationRecord& record,
                                              std::string& pathNameOut, bool replaceReadOnly) {
    pathNameOut = path;
    return WriteReplacing(path, record, replaceReadOnly);
}

void CCorrelationFile::ShowLastError(IPrompt& prompt) const {
    AskString(prompt, errorId_, PromptIcon::Warning, PromptButtons::Ok);
}

}  // namespace vexlan
