// instsim: a simulated instrument on a pseudo-terminal. It prints the device path of its line,
// then answers as the instrument: link resets, acknowledgements, polls and the file requests,
// serving the files of a folder.

#include "tools/instsim/Instrument.h"
#include "testsupport/simulator/SharedClock.h"
#include "tools/instsim/SimLine.h"
#include "tools/instsim/SimOptions.h"
#include "link/tarvik.h"
#include "VexlanVersion.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <memory>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

// The clock a test keeps, when it gave one, for the link timer; the line keeps it for the rest.
vexlan::test::SharedClock* sharedClock = nullptr;

std::time_t SharedSeconds() { return static_cast<std::time_t>(sharedClock->NowMs() / 1000); }

// Reports each turn of a loop on the shared clock: busy when the line carried anything.
class Turn {
public:
    explicit Turn(const instsim::SimLine& line) : line_(line), activity_(line.activity()) {}
    ~Turn() {
        if (sharedClock) sharedClock->EndTurn(busy || line_.activity() != activity_);
    }
    bool busy = false;

private:
    const instsim::SimLine& line_;
    uint64_t activity_;
};

struct PendingReply {
    std::vector<uint8_t> bytes;
    uint64_t dueMs;
};

// A peer that answers nothing and resets the link again and again: every reset clears the
// host's link-failed state, so only the host's own time limits end its waits.
void RunResetter(const instsim::SimOptions& options, instsim::SimLine& line) {
    static const uint8_t kReset[] = {TARVIK_START_BYTE, 0x02, FRAME_RESET * 32, 0xE0};
    uint64_t next = line.NowMs();
    while (!stopRequested) {
        Turn turn(line);
        struct pollfd p = {line.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            uint8_t discard[512];
            const long n = ::read(line.masterFd(), discard, sizeof discard);
            if (n < 0) ::usleep(20000);
            turn.busy = n > 0;
        }
        if (line.NowMs() >= next) {
            if (::write(line.masterFd(), kReset, sizeof kReset) == sizeof kReset) line.Log("tx reset");
            turn.busy = true;
            // One reset per period; periods a jump of the clock passed over are not made up.
            do next += options.resetEveryMs;
            while (next <= line.NowMs());
        }
    }
}

// The simulator is attached to the test's clock for as long as it runs.
class ClockAttachment {
public:
    ClockAttachment(vexlan::test::SharedClock* clock, instsim::SimLine& line) : clock_(clock) {
        if (!clock_) return;
        sharedClock = clock_;
        line.UseClock(clock_);
        tarvik::SetClock(SharedSeconds);
        clock_->Attach();
    }
    ~ClockAttachment() {
        if (!clock_) return;
        clock_->Detach();
        tarvik::SetClock(nullptr);
        sharedClock = nullptr;
    }

private:
    vexlan::test::SharedClock* clock_;
};

int Run(const instsim::SimOptions& options) {
    FILE* log = nullptr;
    if (!options.logPath.empty()) {
        log = std::fopen(options.logPath.c_str(), "w");
        if (!log) {
            std::fprintf(stderr, "instsim: cannot write the log %s\n", options.logPath.c_str());
            return 1;
        }
    }
    std::string path, error;
    std::unique_ptr<vexlan::test::SharedClock> clock;
    if (!options.clockPath.empty()) {
        clock = vexlan::test::SharedClock::Open(options.clockPath, false, &error);
        if (!clock) {
            std::fprintf(stderr, "instsim: %s\n", error.c_str());
            return 1;
        }
    }
    instsim::SimLine line(options.faults, options.paceBaud, log);
    if (!line.Create(&path, &error)) {
        std::fprintf(stderr, "instsim: %s\n", error.c_str());
        return 1;
    }
    const ClockAttachment attachment(clock.get(), line);
    tarvik::SetPortLayer(&line.Layer());
    tarvik::SetStrictProtocol(options.strict);
    if (comm_open_str(path.c_str(), 115200) != 0) {
        std::fprintf(stderr, "instsim: the link did not start\n");
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    if (options.resetEveryMs > 0) {
        RunResetter(options, line);
        comm_close();
        if (log) std::fclose(log);
        return 0;
    }

    instsim::Instrument instrument(options.folder, options.refused);
    std::vector<PendingReply> pending;
    int requests = 0, replies = 0;
    std::vector<uint8_t> message(TARVIK_MAX_RECEIVE);
    while (!stopRequested) {
        const Turn turn(line);
        struct pollfd p = {line.masterFd(), POLLIN, 0};
        ::poll(&p, 1, pending.empty() ? 20 : 1);
        read_buffer();
        for (;;) {
            const uint16_t size = get_message(message.data(), static_cast<uint32_t>(message.size()));
            if (size == 0 || size == TARVIK_NO_ROOM) break;
            ++requests;
            std::vector<uint8_t> reply;
            std::string event;
            if (options.echo) {
                reply.assign(message.begin(), message.begin() + size);
                event = "echo " + std::to_string(size) + " bytes";
            } else {
                reply = instrument.Handle(message.data(), size, &event);
            }
            line.Log("message " + std::to_string(size) + " bytes, type " + std::to_string(message[0]) + ": " + event);
            if (options.stallAfter >= 0 && requests == options.stallAfter) {
                line.Log("stalled");
                line.Silence(options.stallMs);
                pending.clear();
                continue;
            }
            if (options.neverAnswer || reply.empty()) continue;
            const auto& lost = options.lostReplies;
            if (std::find(lost.begin(), lost.end(), ++replies) != lost.end()) {
                line.Log("reply " + std::to_string(replies) + " lost");
                continue;
            }
            pending.push_back({std::move(reply), line.NowMs() + options.replyDelayMs});
        }
        // Replies go in order, each once the transmit queue has room for it.
        while (!pending.empty() && pending.front().dueMs <= line.NowMs()) {
            const std::vector<uint8_t>& reply = pending.front().bytes;
            if (put_message(reply.data(), static_cast<uint32_t>(reply.size())) != 0) break;
            pending.erase(pending.begin());
        }
        link_timer();
    }
    comm_close();
    if (log) std::fclose(log);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    instsim::SimOptions options;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(instsim::Usage(), stdout);
            return 0;
        }
        if (a == "--version") {
            std::puts("instsim " VEXLAN_VERSION);
            return 0;
        }
    }
    if (!instsim::ParseOptions(args, &options, &error)) {
        std::fprintf(stderr, "instsim: %s\n%s", error.c_str(), instsim::Usage());
        return 2;
    }
    struct stat folder;
    if (::stat(options.folder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        std::fprintf(stderr, "instsim: %s is not a folder\n", options.folder.c_str());
        return 2;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    return Run(options);
}
