#include "testsupport/simulator/SimulatedInstrument.h"
#include "testsupport/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vexlan::test {

SimulatedInstrument::SimulatedInstrument() {
    char base[] = "/tmp/vexlan-instrument-XXXXXX";
    if (::mkdtemp(base)) {
        folder_ = std::string(base) + "/instrument";
        out_ = std::string(base) + "/local";
        log_ = std::string(base) + "/sim.log";
        std::filesystem::create_directories(folder_);
        std::filesystem::create_directories(out_);
    }
}

SimulatedInstrument::~SimulatedInstrument() {
    Stop();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(std::filesystem::path(folder_).parent_path(), ignored);
}

std::vector<uint8_t> SimulatedInstrument::AddFile(const std::string& name, size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = static_cast<uint32_t>(size) * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    WriteBytes(folder_ + "/" + name, bytes);
    return bytes;
}

bool SimulatedInstrument::Start(const std::vector<std::string>& options) {
    std::vector<std::string> all = {"--dir", folder_, "--log", log_};
    all.insert(all.end(), options.begin(), options.end());
    all.insert(all.end(), extra_.begin(), extra_.end());
    process_ = std::make_unique<vexlan::test::SimulatorProcess>(vexlan::test::SimulatorBinary(), all);
    return process_->started();
}

void SimulatedInstrument::Stop() {
    if (process_) process_->Stop();
}

const std::string& SimulatedInstrument::device() const { return process_->device(); }

std::vector<std::string> SimulatedInstrument::LogLines(const std::string& containing) const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
        if (line.find(containing) != std::string::npos) lines.push_back(line);
    }
    return lines;
}

std::string SimulatedInstrument::BytesReceivedAt(int baud) const {
    const std::string marker = "rx " + std::to_string(baud) + " bytes: ";
    std::string all;
    for (const std::string& line : LogLines(marker)) {
        if (!all.empty()) all += ' ';
        all += line.substr(line.find(marker) + marker.size());
    }
    return all;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, bool* exists) {
    *exists = std::filesystem::is_regular_file(path);
    return ReadBytes(path);
}

}  // namespace vexlan::test
