#include "SafeFileWriter.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexlan {
namespace {

constexpr int kMaxLinkDepth = 40;  // as the kernel allows before ELOOP

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadOnlyFor(const struct stat& info, const std::string& path) {
    // The owner's write bit counts even for root, which access() would let through.
    if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) == 0;
    return ::access(path.c_str(), W_OK) != 0;
}

// Writes all of size bytes, retrying short writes and interrupts.
bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : path_(FolderOf(target) + "." + NameOf(target) + ".XXXXXX") {
        fd_ = ::mkstemp(path_.data());
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool opened() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Flushes to disk and closes; a full disk may only show here.
    bool Close() {
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return synced && closed;
    }
    bool RenameTo(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        kept_ = true;
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool kept_ = false;
};

}  // namespace

OutputFileInfo InspectOutputPath(const std::string& path) {
    OutputFileInfo info;
    info.target = path;
    for (int depth = 0;; ++depth) {
        struct stat st {};
        if (::lstat(info.target.c_str(), &st) != 0) {
            if (errno != ENOENT) info.errorId = kMsgOutputOpenFailed;
            return info;  // a new file
        }
        if (S_ISLNK(st.st_mode)) {
            char link[PATH_MAX];
            const ssize_t n = ::readlink(info.target.c_str(), link, sizeof link - 1);
            if (n <= 0 || depth == kMaxLinkDepth) {
                info.errorId = kMsgOutputOpenFailed;
                return info;
            }
            const std::string to(link, std::size_t(n));
            info.target = to.front() == '/' ? to : FolderOf(info.target) + to;
            continue;
        }
        info.exists = true;
        if (!S_ISREG(st.st_mode)) info.errorId = kMsgOutputNotRegular;
        else info.readOnly = ReadOnlyFor(st, info.target);
        return info;
    }
}

int WriteFileSafely(const std::string& path, const OutputProducer& produce, const SafeWriteOptions& options) {
    const OutputFileInfo info = InspectOutputPath(path);
    if (info.errorId != 0) return info.errorId;
    if (info.readOnly && !options.replaceReadOnly) return kMsgOutputReadOnly;
    struct stat existing {};
    const mode_t mode = info.exists && ::stat(info.target.c_str(), &existing) == 0 ? existing.st_mode & 07777
                                                                                    : NewFileMode();
    TemporaryFile temporary(info.target);
    if (!temporary.opened()) return kMsgOutputOpenFailed;
    bool failed = false;
    const OutputSink sink = [&](const void* data, std::size_t size) {
        if (!failed && !WriteAll(temporary.fd(), data, size)) failed = true;
        return !failed;
    };
    if (!produce(sink) || failed) return kMsgOutputWriteFailed;
    if (::fchmod(temporary.fd(), mode) != 0) return kMsgOutputWriteFailed;
    if (!temporary.Close()) return kMsgOutputCloseFailed;
    if (!temporary.RenameTo(info.target)) return kMsgOutputWriteFailed;
    return 0;
}

int WriteFileSafely(const std::string& path, const void* data, std::size_t size, const SafeWriteOptions& options) {
    return WriteFileSafely(path, [&](const OutputSink& sink) { return sink(data, size); }, options);
}

std::FILE* OpenRegularFileForReading(const std::string& path, int& errorId) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorId = kMsgOutputOpenFailed;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        errorId = kMsgOutputNotRegular;
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        errorId = kMsgOutputOpenFailed;
        ::close(fd);
    }
    return file;
}

FileTail ReadFileFrom(const std::string& path, std::size_t offset) {
    FileTail tail;
    std::FILE* file = OpenRegularFileForReading(path, tail.errorId);
    if (!file) return tail;
    if (std::fseek(file, long(offset), SEEK_SET) == 0) {
        std::uint8_t chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) tail.bytes.insert(tail.bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(file)) tail.errorId = kMsgInputReadFailed;
    std::fclose(file);
    return tail;
}

}  // namespace vexlan
