#include "instrument/TransClient.h"

#include "link/tarvik.h"

#include <chrono>
#include <thread>

namespace vexlan {
namespace {

int32_t lastError = kTransOk;
uint64_t (*clockSource)() = nullptr;
bool (*idleHook)(void*) = nullptr;
void* idleContext = nullptr;
uint64_t lastIdleMs = 0;

// A reply too long for the caller's buffer is taken out through this much scratch space.
constexpr uint32_t kScratchSize = 4069;

uint64_t NowMs() {
    if (clockSource) return clockSource();
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

bool Fail(int32_t code) {
    lastError = code;
    return false;
}

// The waits are busy loops: the host's own timer does not run during them, so each step
// services the link. Yielding lets a peer on the same processor run; it is not a sleep.
// False when the idle hook asked the wait to end.
bool ServiceStep() {
    trans_service();
    std::this_thread::yield();
    if (!idleHook) return true;
    const uint64_t now = NowMs();
    if (now - lastIdleMs < kTransIdleIntervalMs) return true;
    lastIdleMs = now;
    return idleHook(idleContext);
}

}  // namespace

int32_t trans_error() { return lastError; }

const char* trans_error_text() {
    switch (lastError) {
    case 0: return "No error encountered.";
    case 1: return "Could not open comms session.";
    case 2:
        return "There was not enough space in the comms\nbuffer for the message to be sent.\n\n"
               "Please get an updated version of tarvik.dll\nfrom your software supplier.";
    case 3: return "No acknowledgement received from remote device.";
    case 4: return "Timout encountered while waiting for message";
    case 5: return "No heartbeat received from remote system.";
    case 6: return "A bad parameter was sent to a trans function.";
    case 7: return "Invlaid message received from remote system.";
    case 8: return "Size of reply is not what was expected.";
    default: return "Unknown error encountered.";
    }
}

bool trans_open(const char* port, int32_t baud) {
    if (!port) return Fail(kTransBadParameter);
    if (comm_open_str(port, baud) != 0) return Fail(kTransOpenFailed);
    lastError = kTransOk;
    return true;
}

bool trans_close() {
    comm_close();
    lastError = kTransOk;
    return true;
}

void trans_service() {
    link_timer();
    read_buffer();
}

bool trans_send(const void* message, uint32_t length, int32_t timeoutMs) {
    const uint64_t start = NowMs();
    if (!message) return Fail(kTransBadParameter);
    if (put_message(message, length) != 0) return Fail(kTransNoRoom);
    do {
        if (!ServiceStep()) return Fail(kTransCancelled);
        if (get_status() & STATUS_LINK_FAILED) return Fail(kTransNoAcknowledgement);
        if (static_cast<int64_t>(NowMs() - start) > static_cast<int64_t>(timeoutMs)) {
            return Fail(kTransNoAcknowledgement);
        }
    } while (get_status() & STATUS_TX_PENDING);
    lastError = kTransOk;
    return true;
}

bool trans_receive(void* buffer, uint32_t size, uint16_t* length, int32_t timeoutMs) {
    const uint64_t start = NowMs();
    if (!buffer || !length) return Fail(kTransBadParameter);
    for (;;) {
        if (!ServiceStep()) return Fail(kTransCancelled);
        if (static_cast<int64_t>(NowMs() - start) > static_cast<int64_t>(timeoutMs)) return Fail(kTransTimeout);
        if (get_status() & STATUS_LINK_FAILED) return Fail(kTransNoHeartbeat);
        *length = get_message_size();
        if (*length != 0xFFFF && (*length & 0x8000) == 0) break;
    }
    if (get_message(buffer, size) == TARVIK_NO_ROOM) {
        uint8_t scratch[kScratchSize];
        get_message(scratch, sizeof scratch);
        return Fail(kTransNoRoom);
    }
    return true;
}

bool trans_exchange(const void* request, uint32_t requestLength, void* reply, uint32_t replyLength, int32_t timeoutMs,
                    int32_t sendTimeoutMs) {
    if (!request || !reply) return Fail(kTransBadParameter);
    const uint8_t type = *static_cast<const uint8_t*>(request);
    if (!trans_send(request, requestLength, sendTimeoutMs)) return false;
    uint16_t received = 0;
    if (!trans_receive(reply, replyLength, &received, timeoutMs)) return false;
    if (static_cast<int16_t>(received) != static_cast<int32_t>(replyLength & 0xFFFF)) return Fail(kTransWrongSize);
    if (*static_cast<const uint8_t*>(reply) != type) return Fail(kTransWrongType);
    return true;
}

void SetTransClock(uint64_t (*nowMs)()) { clockSource = nowMs; }

uint64_t trans_now_ms() { return NowMs(); }

void SetTransIdleHook(bool (*hook)(void*), void* context) {
    idleHook = hook;
    idleContext = context;
}

}  // namespace vexlan
