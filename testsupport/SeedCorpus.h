#pragma once
// Seed corpus for a libFuzzer target, written by the target itself: when it is started without a
// corpus folder (as CTest starts it), LLVMFuzzerInitialize writes the seeds into
// fuzz-corpus/<name>/ below the working folder and adds that folder to the command line.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vexlan::test {

using Seed = std::vector<std::uint8_t>;

inline Seed SeedFromText(const std::string& text) { return Seed(text.begin(), text.end()); }

inline void AddSeedCorpus(int* argc, char*** argv, const std::string& name, const std::vector<Seed>& seeds) {
    for (int i = 1; i < *argc; ++i)
        if ((*argv)[i][0] != '-') return;  // a corpus was given: fuzz that one
    namespace fs = std::filesystem;
    const fs::path dir = fs::path("fuzz-corpus") / name;
    std::error_code error;
    fs::create_directories(dir, error);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(dir / ("seed-" + std::to_string(i)), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seeds[i].data()), std::streamsize(seeds[i].size()));
    }
    static std::string corpus;
    static std::vector<char*> args;
    corpus = dir.string();
    args.assign(*argv, *argv + *argc);
    args.push_back(corpus.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
}

}  // namespace vexlan::test
