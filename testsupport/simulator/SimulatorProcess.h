#pragma once
// Starts the instrument simulator as a child process for tests and benchmarks and stops it
// again.

#include <string>
#include <vector>

namespace vexlan::test {

class SimulatorProcess {
public:
    // Runs the simulator binary with the given options and waits for its device path.
    SimulatorProcess(const std::string& binary, const std::vector<std::string>& options);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool started() const { return !device_.empty(); }
    const std::string& device() const { return device_; }
    // Stops the simulator (its log is complete afterwards).
    void Stop();

private:
    int pid_ = -1;
    std::string device_;
};

// The simulator built beside the tests.
std::string SimulatorBinary();

}  // namespace vexlan::test
