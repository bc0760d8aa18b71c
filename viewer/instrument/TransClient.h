#pragma once
// The link client: blocking steps over the link library's non-blocking calls. Each records its
// outcome in one process-wide code (the link library's port is process-wide too); the texts
// are for diagnostics only, the user sees the instrument session's messages.

#include <cstdint>

namespace vexlan {

// Outcome codes of the trans functions.
enum TransError : int32_t {
    kTransOk = 0,
    kTransOpenFailed = 1,
    kTransNoRoom = 2,
    kTransNoAcknowledgement = 3,
    kTransTimeout = 4,
    kTransNoHeartbeat = 5,
    kTransBadParameter = 6,
    kTransWrongType = 7,
    kTransWrongSize = 8,
    kTransCancelled = 9,  // the idle hook asked the wait to end
};

// The code of the last trans function's outcome (0 at start).
int32_t trans_error();
// Its text.
const char* trans_error_text();

bool trans_open(const char* port, int32_t baud);
// Always succeeds, also without an open port.
bool trans_close();
// One service step: link_timer, then read_buffer.
void trans_service();
// A peer that keeps the link busy without acknowledging (resetting it again and again, say)
// must not hold a send for ever.
constexpr int32_t kTransSendTimeoutMs = 5000;

// Queues the message and waits until the peer has acknowledged every frame of it, at most
// timeoutMs (then code 3, as for a failed link).
bool trans_send(const void* message, uint32_t length, int32_t timeoutMs = kTransSendTimeoutMs);
// Waits at most timeoutMs for a complete message and takes it; *length gets its size.
bool trans_receive(void* buffer, uint32_t size, uint16_t* length, int32_t timeoutMs);
// Sends the request and takes a reply that must repeat its type byte and have exactly
// replyLength bytes. The request and reply may share one buffer.
bool trans_exchange(const void* request, uint32_t requestLength, void* reply, uint32_t replyLength, int32_t timeoutMs,
                    int32_t sendTimeoutMs = kTransSendTimeoutMs);

// Called from every wait about every kTransIdleIntervalMs (nullptr = none): the host repaints
// and takes a Cancel there. Returning false ends the wait with kTransCancelled.
constexpr uint64_t kTransIdleIntervalMs = 50;
void SetTransIdleHook(bool (*hook)(void* context), void* context);

// Wall-clock milliseconds used for the time-outs (nullptr = the steady clock). For tests.
void SetTransClock(uint64_t (*nowMs)());
// The clock the time-outs are measured with.
uint64_t trans_now_ms();

}  // namespace vexlan
