#pragma once
// The simulator's end of the cable: the master side of a pseudo-terminal, seen by the link code
// through a port layer that can lose, damage, repeat and pace frames and logs all of it.

#include "testsupport/simulator/SharedClock.h"
#include "tools/instsim/SimOptions.h"
#include "link/TarvikTesting.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace instsim {

class SimLine {
public:
    SimLine(const LineFaults& faults, uint32_t paceBaud, FILE* log);
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // Creates the pseudo-terminal; *path is the device the other side opens.
    bool Create(std::string* path, std::string* error);
    int masterFd() const { return master_; }
    // The port layer that the link code uses for this line (one SimLine per process).
    const tarvik::PortLayer& Layer();
    // Silences follow this clock instead of the system's (nullptr = the system's again).
    void UseClock(const vexlan::test::SharedClock* clock) { clock_ = clock; }
    // A silenced line takes in bytes and throws them away and sends nothing, for the given
    // time (0 = for good).
    void Silence(uint32_t milliseconds);
    void Log(const std::string& text);
    // The time in milliseconds: the shared clock's once UseClock() gave one, else the system's.
    uint64_t NowMs() const;
    // Changes whenever bytes come in or a frame goes out.
    uint64_t activity() const { return activity_; }

private:
    struct FrameCutter {  // finds frame ends in the received stream
        std::vector<uint8_t> wire;
        int unescaped = 0, expected = -1;
        bool escape = false;
    };

    long Read(uint8_t* buffer, size_t size);
    long Write(const uint8_t* bytes, size_t count);
    void TakeIn(uint8_t b);
    void Deliver(std::vector<uint8_t>& frame, const char* direction, std::deque<uint8_t>* out);
    void WriteOut(const uint8_t* bytes, size_t count);
    int LineBaud() const;

    static long ReadHook(int, uint8_t* buffer, size_t size);
    static long WriteHook(int, const uint8_t* bytes, size_t count);

    LineFaults faults_;
    uint32_t paceBaud_;
    FILE* log_;
    int master_ = -1;
    int slave_ = -1;  // held open so the line never hangs up between the host's sessions
    bool silenced_ = false;
    uint64_t silencedUntilMs_ = 0;
    const vexlan::test::SharedClock* clock_ = nullptr;
    uint64_t activity_ = 0;
    std::mt19937 random_;
    FrameCutter cutter_;
    std::deque<uint8_t> received_;  // bytes passed on to the link code
    std::chrono::steady_clock::time_point lineFreeAt_;
    std::chrono::steady_clock::time_point start_;
    tarvik::PortLayer layer_;
};

// Unescaped bytes of one wire frame in hex, for the log.
std::string Hex(const uint8_t* bytes, size_t count);

}  // namespace instsim
