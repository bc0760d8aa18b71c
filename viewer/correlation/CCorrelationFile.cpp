#include "CCorrelationFile.h"

#include "RecordCodec.h"

namespace vexlan {

bool CCorrelationFile::ReadCorrelationFile(const std::string& path, CorrelationRecord& record) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) { errorId_ = kErrorOpenFile; return false; }
    bool ok = true;
    std::uint8_t version[2] = {0, 0};
    // A file shorter than the version word has version 0, even when its one byte is 02.
    if (std::fread(version, 1, 2, file) != 2)
        version[0] = version[1] = 0;
    if (std::ferror(file)) {
        errorId_ = kErrorReadFile; ok = false;
    } else if ((version[0] | (version[1] << 8)) != kFileVersion) {
        errorId_ = kErrorIncompatibleFile; ok = false;
    } else {
        // A short file keeps the rest of the record as it was: start from its current image.
        static_assert(kRecordSize > 0);
        std::uint8_t image[kRecordSize];
        EncodeRecord(record, image);
        std::fread(image, 1, kRecordSize, file);
        if (std::ferror(file)) { errorId_ = kErrorReadFile; ok = false; }
        else DecodeRecord(image, record);
    }
    if (std::fclose(file) != 0) { errorId_ = kErrorCloseFile; ok = false; }
    return ok;
}

bool CCorrelationFile::WriteOpened(std::FILE* file, const CorrelationRecord& record) {
    std::uint8_t image[kFileSize];
    image[0] = static_cast<std::uint8_t>(kFileVersion);
    image[1] = static_cast<std::uint8_t>(kFileVersion >> 8);
    EncodeRecord(record, image + 2);
    bool ok = true;
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(image, 1, kFileSize, file) != kFileSize ||
        std::fflush(file) != 0) {
        errorId_ = kErrorWriteFile; ok = false;
    }
    if (std::fclose(file) != 0) { errorId_ = kErrorCloseFile; ok = false; }
    return ok;
}

bool CCorrelationFile::WriteCorrelationFile(const std::string& path, const CorrelationRecord& record) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) { errorId_ = kErrorOpenFile; return false; }
    return WriteOpened(file, record);
}

bool CCorrelationFile::WriteCorrelationFileAs(const std::string& path, const CorrelationRecord& record,
                                              std::string& pathNameOut) {
    pathNameOut = path;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) file = std::fopen(path.c_str(), "wb");  // missing: creating cannot truncate anything
    if (!file) { errorId_ = kErrorOpenFile; return false; }
    return WriteOpened(file, record);
}

void CCorrelationFile::ShowLastError(IPrompt& prompt) const {
    AskString(prompt, errorId_, PromptIcon::Warning, PromptButtons::Ok);
}

}  // namespace vexlan
