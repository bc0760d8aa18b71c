#pragma once
// The instrument simulator serving a temporary folder, with its log at hand.

#include "testsupport/simulator/SimulatorProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace vexlan::test {

class SimulatedInstrument {
public:
    SimulatedInstrument();
    ~SimulatedInstrument();

    // A file of the given size with a recognisable pattern; returns its bytes.
    std::vector<uint8_t> AddFile(const std::string& name, size_t size);
    // Starts the simulator with these options (besides its folder and log).
    bool Start(const std::vector<std::string>& options = {});
    // Options for every start besides Start()'s own (a shared clock, say).
    void SetExtraOptions(std::vector<std::string> options) { extra_ = std::move(options); }
    void Stop();
    const std::string& device() const;
    const std::string& folder() const { return folder_; }
    // A scratch folder for local files.
    const std::string& outFolder() const { return out_; }

    // Log lines that contain the text.
    std::vector<std::string> LogLines(const std::string& containing) const;
    // Every byte the instrument received at the given line speed, in hex.
    std::string BytesReceivedAt(int baud) const;

private:
    std::string folder_, out_, log_;
    std::vector<std::string> extra_;
    std::unique_ptr<vexlan::test::SimulatorProcess> process_;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path, bool* exists);

}  // namespace vexlan::test
