#pragma once
// The system calls under the safe file writer, one implementation per system
// (SafeFileWriterPosix.cpp, SafeFileWriterWin32.cpp). Internal to vexlan_storage.

#include <cstddef>
#include <cstdio>
#include <string>

namespace vexlan::safe_file {

enum class EntryKind { Missing, Unreachable, Link, Regular, Other };

struct PathEntry {
    EntryKind kind = EntryKind::Missing;
    bool readOnly = false;  // for a regular file: the user may not write it
};

// What the path names, without following a final symbolic link.
PathEntry LookAt(const std::string& path);
// The text of the symbolic link at path; false when it cannot be read.
bool ReadLink(const std::string& path, std::string& to);
bool IsAbsolute(const std::string& path);
// Position of the last folder separator in path, or npos.
std::size_t LastSeparator(const std::string& path);

// What a replacement of target should carry over: its permissions when it exists, else those a
// new file gets.
unsigned PermissionsFor(const std::string& target, bool exists);

// A uniquely named file in the target's folder, removed again unless renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool opened() const { return fd_ >= 0; }
    // Writes all of size bytes.
    bool Write(const void* data, std::size_t size);
    bool SetPermissions(unsigned permissions);
    // Flushes to disk and closes; a full disk may only show here.
    bool Close();
    bool RenameTo(const std::string& target);

private:
    std::string path_;
    int fd_ = -1;
    unsigned permissions_ = 0;
    bool kept_ = false;
};

// Opens a regular file for reading without waiting on anything that is not one.
std::FILE* OpenRegularFile(const std::string& path, bool& notRegular);

}  // namespace vexlan::safe_file
