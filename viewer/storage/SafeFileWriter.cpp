#include "storage/SafeFileWriter.h"
#include "res/StringIds.h"

#include "storage/SafeFileSystem.h"

namespace vexlan {
namespace {

using namespace safe_file;

constexpr int kMaxLinkDepth = 40;  // as the kernel allows before ELOOP

std::string FolderOf(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

OutputFileInfo InspectOutputPath(const std::string& path) {
    OutputFileInfo info;
    info.target = path;
    for (int depth = 0;; ++depth) {
        const PathEntry entry = LookAt(info.target);
        if (entry.kind == EntryKind::Missing) return info;  // a new file
        if (entry.kind == EntryKind::Unreachable) {
            info.errorId = string_id::kMsgFileNotOpened;
            return info;
        }
        if (entry.kind == EntryKind::Link) {
            std::string to;
            if (!ReadLink(info.target, to) || depth == kMaxLinkDepth) {
                info.errorId = string_id::kMsgFileNotOpened;
                return info;
            }
            info.target = IsAbsolute(to) ? to : FolderOf(info.target) + to;
            continue;
        }
        info.exists = true;
        if (entry.kind != EntryKind::Regular)
            info.errorId = string_id::kMsgOutputNotRegular;
        else
            info.readOnly = entry.readOnly;
        return info;
    }
}

int WriteFileSafely(const std::string& path, const OutputProducer& produce, const SafeWriteOptions& options) {
    const OutputFileInfo info = InspectOutputPath(path);
    if (info.errorId != 0) return info.errorId;
    if (info.readOnly && !options.replaceReadOnly) return string_id::kMsgOutputReadOnly;
    const unsigned permissions = PermissionsFor(info.target, info.exists);
    TemporaryFile temporary(info.target);
    if (!temporary.opened()) return string_id::kMsgFileNotOpened;
    bool failed = false;
    const OutputSink sink = [&](const void* data, std::size_t size) {
        if (!failed && !temporary.Write(data, size)) failed = true;
        return !failed;
    };
    if (!produce(sink) || failed) return string_id::kMsgFileNotWritten;
    if (!temporary.SetPermissions(permissions)) return string_id::kMsgFileNotWritten;
    if (!temporary.Close()) return string_id::kMsgFileNotClosed;
    if (!temporary.RenameTo(info.target)) return string_id::kMsgFileNotWritten;
    return 0;
}

int WriteFileSafely(const std::string& path, const void* data, std::size_t size, const SafeWriteOptions& options) {
    return WriteFileSafely(
        path, [&](const OutputSink& sink) { return sink(data, size); }, options);
}

std::FILE* OpenRegularFileForReading(const std::string& path, int& errorId) {
    bool notRegular = false;
    std::FILE* file = OpenRegularFile(path, notRegular);
    if (!file) errorId = notRegular ? string_id::kMsgOutputNotRegular : string_id::kMsgFileNotOpened;
    return file;
}

FileTail ReadFileFrom(const std::string& path, std::size_t offset) {
    FileTail tail;
    std::FILE* file = OpenRegularFileForReading(path, tail.errorId);
    if (!file) return tail;
    if (std::fseek(file, long(offset), SEEK_SET) == 0) {
        std::uint8_t chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            tail.bytes.insert(tail.bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(file)) tail.errorId = string_id::kMsgFileNotRead;
    std::fclose(file);
    return tail;
}

}  // namespace vexlan
