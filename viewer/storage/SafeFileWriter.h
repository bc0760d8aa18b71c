#pragma once

#include "res/StringIds.h"
// Writes a file so that it appears under its name only when complete. The bytes go to a
// temporary file in the target's folder; every write, the flush to disk and the close are
// checked, and only then is the temporary renamed over the target. A failure removes the
// temporary and leaves any existing file as it was.
//
// A path that is a symbolic link is written through to the file it names (the link stays a
// link). Devices, FIFOs, folders and other files that are not regular are refused, and so is an
// existing read-only file unless the caller says the user agreed to replace it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vexlan {

// String-table ids of the failures; 0 is success.

// Hands the producer's bytes on; returns false once a write has failed (stop producing then).
using OutputSink = std::function<bool(const void* data, std::size_t size)>;
// Writes the whole content through the sink; returns false when it could not produce it.
using OutputProducer = std::function<bool(const OutputSink& sink)>;

struct OutputFileInfo {
    int errorId = 0;     // string_id::kMsgOutputNotRegular when the path cannot take a file
    std::string target;  // the path with symbolic links followed
    bool exists = false;
    bool readOnly = false;
};

// Follows the path's links and says what is there, without writing anything.
OutputFileInfo InspectOutputPath(const std::string& path);

struct SafeWriteOptions {
    bool replaceReadOnly = false;  // the user agreed to replace a read-only file
};

// Returns 0, or the string-table id of what went wrong (string_id::kMsgOutputReadOnly: ask the user, then
// call again with replaceReadOnly).
int WriteFileSafely(const std::string& path, const OutputProducer& produce, const SafeWriteOptions& options = {});
int WriteFileSafely(const std::string& path, const void* data, std::size_t size, const SafeWriteOptions& options = {});

// Reads the bytes of a regular file from offset to its end; empty when there are none. Refuses
// (errorId string_id::kMsgOutputNotRegular) anything but a regular file, without blocking on a FIFO.
struct FileTail {
    int errorId = 0;
    std::vector<std::uint8_t> bytes;
};
FileTail ReadFileFrom(const std::string& path, std::size_t offset);

// Opens a regular file for reading without blocking (a FIFO would wait for a writer): nullptr
// with errorId set otherwise. The caller closes the stream.
std::FILE* OpenRegularFileForReading(const std::string& path, int& errorId);

}  // namespace vexlan
