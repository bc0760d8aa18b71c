// The folder of the running program, and from it the folder of its data files: each system has
// its own way of telling where the program is.

#include "correlation/CVexlanDoc.h"

#include <algorithm>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vexlan {

namespace {

constexpr std::size_t kMaxProgramPath = 4096;

}  // namespace

std::string ProgramDirectory() {
    char path[kMaxProgramPath];
#ifdef _WIN32
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    // Forward slashes, as the rest of the program joins paths with them (Windows takes both).
    std::string full(path, std::size_t(n));
    std::replace(full.begin(), full.end(), '\\', '/');
    const std::size_t slash = full.rfind('/');
#else
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string full(path, std::size_t(n));
    const std::size_t slash = full.rfind('/');
#endif
    if (slash == std::string::npos) return {};
    return full.substr(0, slash + 1);
}

std::string ProgramDataDirectory() {
    const std::string program = ProgramDirectory();
    if (program.empty()) return {};
    // Beside the program in the build folder and in a copied folder; under share/ once installed.
    std::error_code error;
    if (std::filesystem::exists(program + kMaterialNamesSource, error)) return program;
    const std::string installed = program + "../share/vexlan/";
    if (std::filesystem::exists(installed + kMaterialNamesSource, error)) return installed;
    return program;
}

}  // namespace vexlan
