// The safe file writer's system calls on POSIX systems.

#include "storage/SafeFileSystem.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexlan::safe_file {
namespace {

std::string NameOf(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadOnlyFor(const struct stat& info, const std::string& path) {
    // The owner's write bit counts even for root, which access() would let through.
    if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) == 0;
    return ::access(path.c_str(), W_OK) != 0;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

PathEntry LookAt(const std::string& path) {
    PathEntry entry;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        entry.kind = errno == ENOENT ? EntryKind::Missing : EntryKind::Unreachable;
        return entry;
    }
    if (S_ISLNK(st.st_mode)) {
        entry.kind = EntryKind::Link;
    } else if (S_ISREG(st.st_mode)) {
        entry.kind = EntryKind::Regular;
        entry.readOnly = ReadOnlyFor(st, path);
    } else {
        entry.kind = EntryKind::Other;
    }
    return entry;
}

bool ReadLink(const std::string& path, std::string& to) {
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) return false;
    to.assign(link, std::size_t(n));
    return true;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::size_t LastSeparator(const std::string& path) { return path.find_last_of('/'); }

unsigned PermissionsFor(const std::string& target, bool exists) {
    struct stat existing {};
    return exists && ::stat(target.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode();
}

TemporaryFile::TemporaryFile(const std::string& target) {
    const std::size_t slash = LastSeparator(target);
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    path_ = folder + "." + NameOf(target) + ".XXXXXX";
    fd_ = ::mkstemp(path_.data());
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
}

bool TemporaryFile::Write(const void* data, std::size_t size) {
    // Short writes and interrupts are retried.
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool TemporaryFile::SetPermissions(unsigned permissions) {
    permissions_ = permissions;
    return ::fchmod(fd_, mode_t(permissions)) == 0;
}

bool TemporaryFile::Close() {
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return synced && closed;
}

bool TemporaryFile::RenameTo(const std::string& target) {
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    kept_ = true;
    return true;
}

std::FILE* OpenRegularFile(const std::string& path, bool& notRegular) {
    // Without O_NONBLOCK a FIFO would wait here for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        notRegular = true;
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

}  // namespace vexlan::safe_file
