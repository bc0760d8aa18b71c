#include "link/tests/FakeLine.h"

#include <cerrno>

namespace vexlan::test {
namespace {

FakeLine* line = nullptr;

int Open(const char* device) {
    line->openedDevice = device;
    if (line->openFails) return -1;
    ++line->opens;
    return 7;
}
bool Save(int) { return !line->saveFails; }
bool Configure(int, int32_t baud) {
    line->configuredBaud = baud;
    return !line->configureFails;
}
void Restore(int) { ++line->restores; }
void Close(int) { ++line->closes; }
long Read(int, uint8_t* buffer, size_t size) {
    if (line->readErrno) {
        errno = line->readErrno;
        return -1;
    }
    size_t n = 0;
    while (n < size && !line->incoming.empty()) {
        buffer[n++] = line->incoming.front();
        line->incoming.pop_front();
    }
    return static_cast<long>(n);
}
long Write(int, const uint8_t* bytes, size_t count) {
    line->written.insert(line->written.end(), bytes, bytes + count);
    line->writeTimes.push_back(line->sleptMs);
    return static_cast<long>(count);
}
int Queued(int) { return static_cast<int>(line->incoming.size()); }
bool Carrier(int, bool* carrier) {
    if (line->modemLinesFail) return false;
    ++line->polls;
    *carrier = line->carrierAtPoll > 0 && line->polls >= line->carrierAtPoll;
    return true;
}
int StartTimer() { return line->timerFails ? -1 : 9; }
void StopTimer(int) {}

const tarvik::PortLayer kFakeLayer = {Open,  Save,   Configure, Restore,    Close,    Read,
                                      Write, Queued, Carrier,   StartTimer, StopTimer};

std::time_t Clock() { return line->now; }
void Sleep(uint32_t ms) { line->sleptMs += ms; }

}  // namespace

FakeLine& Install() {
    comm_close();
    delete line;
    line = new FakeLine;
    tarvik::SetPortLayer(&kFakeLayer);
    tarvik::SetClock(Clock);
    tarvik::SetSleep(Sleep);
    comm_set_connection_type(CONNECTION_DIRECT);
    comm_set_modem_dial_string("");
    return *line;
}

void Uninstall() {
    comm_close();
    tarvik::SetPortLayer(nullptr);
    tarvik::SetClock(nullptr);
    tarvik::SetSleep(nullptr);
    delete line;
    line = nullptr;
}

std::vector<uint8_t> Frame(uint8_t control, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> raw;
    raw.push_back(static_cast<uint8_t>(data.size() + 2));
    raw.push_back(control);
    uint32_t sum = control;
    for (uint8_t b : data) {
        raw.push_back(b);
        sum += b;
    }
    raw.push_back(static_cast<uint8_t>(-static_cast<int32_t>(sum & 0xFF)));
    std::vector<uint8_t> wire{0x24};
    for (uint8_t b : raw) {
        if (b == 0x24) {
            wire.push_back(0xAA);
            wire.push_back(0xFE);
        } else if (b == 0xAA) {
            wire.push_back(0xAA);
            wire.push_back(0x22);
        } else {
            wire.push_back(b);
        }
    }
    return wire;
}

std::vector<std::vector<uint8_t>> ParseFrames(const std::vector<uint8_t>& wire) {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint8_t> current;
    bool inFrame = false, escape = false;
    for (uint8_t b : wire) {
        if (b == 0x24) {
            if (inFrame && !current.empty()) frames.push_back(current);
            current.clear();
            inFrame = true;
            escape = false;
            continue;
        }
        if (!inFrame) continue;
        if (escape) {
            escape = false;
            current.push_back(b == 0xFE ? 0x24 : b == 0x22 ? 0xAA : b);
        } else if (b == 0xAA) {
            escape = true;
        } else {
            current.push_back(b);
        }
        if (current.size() >= 1 && current.size() == static_cast<size_t>(current[0]) + 1) {
            frames.push_back(current);
            current.clear();
            inFrame = false;
        }
    }
    return frames;
}

}  // namespace vexlan::test
