#pragma once
// An in-memory serial line for the link library's tests: records what the library writes,
// serves scripted received bytes, and stands in for the clock, the sleeps and the modem lines.

#include "link/TarvikTesting.h"
#include "link/tarvik.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace vexlan::test {

struct FakeLine {
    // Line
    std::vector<uint8_t> written;  // every byte the library wrote, in order
    std::deque<uint8_t> incoming;  // bytes the next reads return
    int readErrno = 0;             // non-zero: reads fail with this errno
    // Open behaviour
    bool openFails = false;
    bool saveFails = false;
    bool configureFails = false;
    bool timerFails = false;
    int32_t configuredBaud = 0;
    int opens = 0, closes = 0, restores = 0;
    std::string openedDevice;
    // Modem lines: the carrier comes up at this poll (1-based); 0 = never.
    int carrierAtPoll = 0;
    bool modemLinesFail = false;
    int polls = 0;
    // Clock and sleeps
    std::time_t now = 1000;
    uint64_t sleptMs = 0;
    std::vector<uint64_t> writeTimes;  // sleptMs at each write call (modem timing)

    std::vector<uint8_t> TakeWritten() {
        std::vector<uint8_t> out;
        out.swap(written);
        return out;
    }
    void Receive(const std::vector<uint8_t>& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }
};

// Installs the fake as the port layer, clock and sleep; Uninstall puts the real ones back.
FakeLine& Install();
void Uninstall();

// Wire bytes of a frame with the given control byte and data, escaped, with start byte.
std::vector<uint8_t> Frame(uint8_t control, const std::vector<uint8_t>& data = {});
// Unescaped frames found in written bytes: each entry is length, control, data..., checksum.
std::vector<std::vector<uint8_t>> ParseFrames(const std::vector<uint8_t>& wire);

}  // namespace vexlan::test
