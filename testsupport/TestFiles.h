#pragma once
// Scratch folders, file bytes and the source tree, for tests and benchmarks.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace vexlan::test {

// A fresh, empty folder for one test, named after it and this process so that parallel runs of
// the same test do not share it.
inline std::filesystem::path ScratchFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("vexlan-" + name + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The source tree: as the test runner gives it, else where it was when the test was built.
inline std::filesystem::path SourceDirectory() {
    const char* dir = std::getenv("VEXLAN_SOURCE_DIR");
    return std::filesystem::path(dir ? dir : VEXLAN_TEST_SOURCE_DIR);
}

}  // namespace vexlan::test
