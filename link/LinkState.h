#pragma once
// Process-wide state of the link library, shared by its port half and its framing half.

#include "link/TarvikTesting.h"
#include "link/tarvik.h"

#include <cstdint>
#include <ctime>

namespace tarvik {

constexpr uint16_t kRingMask = TARVIK_RING_SIZE - 1;

struct PortState {
    int fd = -1;
    bool settingsSaved = false;
    int timerFd = -1;  // -1 while no link timer runs
    int32_t connectionType = CONNECTION_DIRECT;
    char dialString[256] = {};
};

struct LinkState {
    uint8_t txSequence = 0;
    uint8_t expectedSequence = 0;

    uint8_t txRing[TARVIK_RING_SIZE] = {};
    uint16_t txHead = 0;  // oldest queued frame
    uint16_t txTail = 0;  // where the next frame is appended

    uint8_t rxRing[TARVIK_RING_SIZE] = {};
    uint16_t rxRead = 0;
    uint16_t rxWrite = 0;
    int32_t openMessage = -1;  // header position of the message still arriving

    uint16_t builderIndex = 0;
    uint16_t builderExpected = 0;
    uint8_t builderFrame[256] = {};
    bool escapePending = false;
    bool processing = false;

    // The last NAK and REJECT: each goes once per gap and clock second, so that one lost frame
    // in a long burst asks for one retransmission pass, not one per frame behind it.
    int16_t nakSentFor = -1, rejectSentFor = -1;
    std::time_t nakSentAt = 0, rejectSentAt = 0;

    // The last retransmission pass a NAK or REJECT started: oldest frame and clock second.
    int32_t passAskedFor = -1;
    std::time_t passAskedAt = 0;

    int16_t parkedAck = -1;
    uint8_t txBusy = 0;
    uint32_t retryCount = 0;
    bool pollOutstanding = false;
    bool linkFailed = false;
    std::time_t lastTransmit = 0;

    LinkStatistics statistics = {};
};

PortState& Port();
LinkState& Link();
const PortLayer& Layer();
std::time_t Now();
void SleepMs(uint32_t milliseconds);

// Writes bytes to the open port; nothing happens when no port is open.
long WritePort(const uint8_t* bytes, size_t count);

// Everything cleared as at open.
void FullLinkReset();

}  // namespace tarvik
