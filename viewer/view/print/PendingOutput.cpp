#include "PendingOutput.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vexlan {
namespace {

#ifdef _WIN32
const char* const kSeparators = "/\\";
#else
const char* const kSeparators = "/";
#endif

std::string TemporaryNameFor(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // Hidden and unique per process, in the same folder so the rename cannot cross file systems.
    return dir + "." + name + "." + std::to_string(::getpid()) + ".part";
}

}  // namespace

PendingOutput::PendingOutput(std::string finalPath)
    : finalPath_(std::move(finalPath)), temporaryPath_(TemporaryNameFor(finalPath_)) {
    std::remove(temporaryPath_.c_str());
}

PendingOutput::~PendingOutput() {
    if (!committed_) std::remove(temporaryPath_.c_str());
}

bool PendingOutput::Commit() {
    struct stat info {};
    if (finalPath_.empty() || ::stat(temporaryPath_.c_str(), &info) != 0 || info.st_size == 0) return false;
    // Replaces an older file of the name on every system (Windows' own rename() refuses to).
    std::error_code error;
    std::filesystem::rename(temporaryPath_, finalPath_, error);
    if (error) return false;
    committed_ = true;
    return true;
}

}  // namespace vexlan
