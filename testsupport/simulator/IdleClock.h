#pragma once
// A test's clock for runs against the simulator (instsim --clock). It stands still while the
// line carries anything and moves on a step whenever both ends have been quiet, so that link
// timers, time-outs and stalls elapse at once instead of in real seconds, and never while a
// frame is on its way, however slowly a loaded machine runs either end.

#include "testsupport/simulator/SharedClock.h"

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace vexlan::test {

class IdleClock {
public:
    // hostActivity changes whenever the test's end of the line does anything (LinkFrames).
    explicit IdleClock(uint64_t (*hostActivity)());
    ~IdleClock();
    IdleClock(const IdleClock&) = delete;
    IdleClock& operator=(const IdleClock&) = delete;

    // The simulator options that put it on this clock.
    std::vector<std::string> Options() const { return {"--clock", path_}; }
    // The time in milliseconds; a look may first move it on by a step.
    uint64_t NowMs();

    // For the clock seams, the clock of the IdleClock alive now (else the system's): the
    // milliseconds look at it, the whole seconds of the link timer only read it.
    static uint64_t Milliseconds();
    static std::time_t Seconds();

    // A whole second, as the link timer counts.
    static constexpr uint64_t kStepMs = 1000;

private:
    bool SimulatorRunning(uint64_t turns);

    std::string path_;
    std::unique_ptr<SharedClock> clock_;
    uint64_t (*hostActivity_)();
    uint64_t lastActivity_ = 0;
    uint64_t mark_ = 0;   // the simulator's turn count at the last sign of life on the line
    int quietLooks_ = 0;  // looks since then
    uint64_t lastTurns_ = 0;
    int lastPid_ = 0;
    std::chrono::steady_clock::time_point lastTurnSeen_;
};

}  // namespace vexlan::test
