// The safe file writer's system calls on Windows. Symbolic links are followed where the
// standard library reports them; otherwise the path is taken as it is.

#include "storage/SafeFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <random>
#include <sys/stat.h>
#include <windows.h>

namespace vexlan::safe_file {
namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

bool ReadOnlyAttribute(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool SetReadOnlyAttribute(const std::string& path, bool readOnly) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD wanted = readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    return wanted == attributes || ::SetFileAttributesA(path.c_str(), wanted) != 0;
}

std::string RandomSuffix() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device source;
    std::string suffix(8, '0');
    for (char& c : suffix) c = kDigits[source() % 16];
    return suffix;
}

}  // namespace

PathEntry LookAt(const std::string& path) {
    PathEntry entry;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::not_found) return entry;
    if (error) {
        entry.kind = EntryKind::Unreachable;
    } else if (fs::is_symlink(status)) {
        entry.kind = EntryKind::Link;
    } else if (fs::is_regular_file(status)) {
        entry.kind = EntryKind::Regular;
        entry.readOnly = ReadOnlyAttribute(path);
    } else {
        entry.kind = EntryKind::Other;
    }
    return entry;
}

bool ReadLink(const std::string& path, std::string& to) {
    std::error_code error;
    const fs::path link = fs::read_symlink(path, error);
    if (error || link.empty()) return false;
    to = link.string();
    return true;
}

bool IsAbsolute(const std::string& path) { return fs::path(path).is_absolute(); }

std::size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\:"); }

unsigned PermissionsFor(const std::string& target, bool exists) {
    return exists && ReadOnlyAttribute(target) ? 1u : 0u;
}

TemporaryFile::TemporaryFile(const std::string& target) {
    const std::size_t slash = LastSeparator(target);
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        path_ = folder + "." + name + "." + RandomSuffix();
        fd_ = ::_open(path_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) kept_ = true;  // nothing of ours to remove
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) ::_close(fd_);
    if (!kept_) {
        SetReadOnlyAttribute(path_, false);
        ::DeleteFileA(path_.c_str());
    }
}

bool TemporaryFile::Write(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const unsigned chunk = size > 0x40000000u ? 0x40000000u : unsigned(size);
        const int n = ::_write(fd_, p, chunk);
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool TemporaryFile::SetPermissions(unsigned permissions) {
    // Only the read-only attribute carries over; it is set once the file is closed.
    permissions_ = permissions;
    return true;
}

bool TemporaryFile::Close() {
    const bool committed = ::_commit(fd_) == 0;
    const bool closed = ::_close(fd_) == 0;
    fd_ = -1;
    return committed && closed && SetReadOnlyAttribute(path_, permissions_ != 0);
}

bool TemporaryFile::RenameTo(const std::string& target) {
    // A read-only file cannot be replaced; the caller has agreed to it, so lift the attribute
    // for the move and put it back if the move fails.
    const bool targetReadOnly = ReadOnlyAttribute(target);
    if (targetReadOnly && !SetReadOnlyAttribute(target, false)) return false;
    if (::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        if (targetReadOnly) SetReadOnlyAttribute(target, true);
        return false;
    }
    kept_ = true;
    return true;
}

std::FILE* OpenRegularFile(const std::string& path, bool& notRegular) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error) return nullptr;
    if (!fs::is_regular_file(status)) {
        notRegular = true;
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    // Device names such as CON or COM1 open as files but are not on a disk.
    if (::GetFileType(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)))) != FILE_TYPE_DISK) {
        notRegular = true;
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace vexlan::safe_file
