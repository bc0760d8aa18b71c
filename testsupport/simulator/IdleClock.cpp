#include "testsupport/simulator/IdleClock.h"

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace vexlan::test {
namespace {

IdleClock* current = nullptr;

// Looks without a sign of life before a step: the test's end services the link between them.
constexpr int kQuietLooks = 3;
// A simulator that finishes no turn of its loop in this long has stopped; only a guard against
// a test that would otherwise hang.
constexpr auto kStoppedAfter = std::chrono::seconds(10);

}  // namespace

IdleClock::IdleClock(uint64_t (*hostActivity)()) : hostActivity_(hostActivity) {
    char path[] = "/tmp/vexlan-clock-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) throw std::runtime_error("cannot make a clock file");
    ::close(fd);
    path_ = path;
    std::string error;
    clock_ = SharedClock::Open(path_, true, &error);
    if (!clock_) throw std::runtime_error(error);
    lastActivity_ = hostActivity_();
    lastTurnSeen_ = std::chrono::steady_clock::now();
    current = this;
}

IdleClock::~IdleClock() {
    if (current == this) current = nullptr;
    ::unlink(path_.c_str());
}

// Moves on only when, since the last sign of life on either end, the test's end has looked
// several times (servicing the link between looks) and the simulator has begun and finished a
// whole turn of its loop, which starts by taking in whatever the line holds, without reading or
// sending anything.
uint64_t IdleClock::NowMs() {
    const uint64_t activity = hostActivity_();
    const uint64_t turns = clock_->turns();
    if (!SimulatorRunning(turns)) {
        clock_->Advance(kStepMs);  // nobody at the far end to wait for
    } else if (activity != lastActivity_ || clock_->lastBusyTurn() > mark_) {
        lastActivity_ = activity;
        mark_ = turns;
        quietLooks_ = 0;
    } else if (++quietLooks_ >= kQuietLooks && turns >= mark_ + 2) {
        clock_->Advance(kStepMs);
        mark_ = turns;
        quietLooks_ = 0;
    }
    return clock_->NowMs();
}

bool IdleClock::SimulatorRunning(uint64_t turns) {
    const auto now = std::chrono::steady_clock::now();
    const int pid = clock_->simulatorPid();
    if (turns != lastTurns_ || pid != lastPid_) {
        lastTurns_ = turns;
        lastPid_ = pid;
        lastTurnSeen_ = now;
    }
    return pid > 0 && ::kill(pid, 0) == 0 && now - lastTurnSeen_ < kStoppedAfter;
}

uint64_t IdleClock::Milliseconds() { return current ? current->NowMs() : SteadyMs(); }

std::time_t IdleClock::Seconds() {
    if (current) return static_cast<std::time_t>(current->clock_->NowMs() / 1000);
    return std::time(nullptr);
}

}  // namespace vexlan::test
