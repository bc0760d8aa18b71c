#include "testsupport/simulator/SharedClock.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vexlan::test {

// Both processes map the same bytes; every field is read and written atomically.
struct SharedClock::Fields {
    uint64_t nowMs;
    uint64_t turns;
    uint64_t lastBusyTurn;
    uint64_t simulatorPid;
};

namespace {

// Where the clock starts: far enough from zero that no "never" value of the link is a time.
constexpr uint64_t kStartMs = 1000000;

std::atomic_ref<uint64_t> At(uint64_t& field) { return std::atomic_ref<uint64_t>(field); }

}  // namespace

uint64_t SteadyMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::unique_ptr<SharedClock> SharedClock::Open(const std::string& path, bool create, std::string* error) {
    static_assert(std::atomic_ref<uint64_t>::is_always_lock_free, "the clock is shared between processes");
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_TRUNC : 0), 0600);
    if (fd < 0 || (create && ::ftruncate(fd, sizeof(Fields)) != 0)) {
        if (fd >= 0) ::close(fd);
        *error = "cannot open the clock file " + path;
        return nullptr;
    }
    void* mapped = ::mmap(nullptr, sizeof(Fields), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        *error = "cannot map the clock file " + path;
        return nullptr;
    }
    auto* fields = static_cast<Fields*>(mapped);
    if (create) At(fields->nowMs).store(kStartMs);
    return std::unique_ptr<SharedClock>(new SharedClock(fields));
}

SharedClock::~SharedClock() { ::munmap(fields_, sizeof(Fields)); }

uint64_t SharedClock::NowMs() const { return At(fields_->nowMs).load(); }
void SharedClock::Advance(uint64_t milliseconds) { At(fields_->nowMs).fetch_add(milliseconds); }

void SharedClock::Attach() { At(fields_->simulatorPid).store(static_cast<uint64_t>(::getpid())); }
void SharedClock::Detach() { At(fields_->simulatorPid).store(0); }

void SharedClock::EndTurn(bool busy) {
    // The busy mark goes first: a reader that sees the new count sees the mark with it.
    const uint64_t turn = At(fields_->turns).load() + 1;
    if (busy) At(fields_->lastBusyTurn).store(turn);
    At(fields_->turns).store(turn);
}

uint64_t SharedClock::turns() const { return At(fields_->turns).load(); }
uint64_t SharedClock::lastBusyTurn() const { return At(fields_->lastBusyTurn).load(); }
int SharedClock::simulatorPid() const { return static_cast<int>(At(fields_->simulatorPid).load()); }

}  // namespace vexlan::test
