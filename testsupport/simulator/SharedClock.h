#pragma once
// A clock that a test and the simulator it runs share through a small file, so that the link
// timers, time-outs, stalls and reply delays of both ends follow one time. The test moves the
// clock on; the simulator counts the turns of its loop and notes the last one in which it read
// or sent anything, so that the test can tell when the line has been quiet at the far end too.

#include <cstdint>
#include <memory>
#include <string>

namespace vexlan::test {

// The system's monotonic clock in milliseconds: the time when no shared clock is kept.
uint64_t SteadyMs();

class SharedClock {
public:
    // Maps the file: create = make it afresh (the test's end), else it must exist.
    static std::unique_ptr<SharedClock> Open(const std::string& path, bool create, std::string* error);
    ~SharedClock();
    SharedClock(const SharedClock&) = delete;
    SharedClock& operator=(const SharedClock&) = delete;

    uint64_t NowMs() const;
    void Advance(uint64_t milliseconds);

    // The simulator's end: it attaches while it runs and reports each turn of its loop.
    void Attach();
    void Detach();
    void EndTurn(bool busy);

    // The test's end.
    uint64_t turns() const;
    uint64_t lastBusyTurn() const;
    // The attached simulator's process id, 0 when none is attached.
    int simulatorPid() const;

private:
    struct Fields;
    explicit SharedClock(Fields* fields) : fields_(fields) {}
    Fields* fields_;
};

}  // namespace vexlan::test
