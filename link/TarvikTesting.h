#pragma once
// Seams of the link library for tests and tools that link its static variant (tarvik_static).
// None of this is exported from the shared library.

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace tarvik {

// The operating-system side of one serial port. The default layer is the system's; tests
// substitute their own to exercise modem dialling and failures no pseudo-terminal can show.
struct PortLayer {
    // Opens the device; a descriptor >= 0, or -1.
    int (*open)(const char* device);
    // Saves the line settings for restore(); false when they cannot be read (not a terminal).
    bool (*saveSettings)(int fd);
    // Raw 8N1 at baud, no flow control, DTR and RTS raised; false when not accepted.
    bool (*configure)(int fd, int32_t baud);
    // Puts back the settings saved by saveSettings().
    void (*restoreSettings)(int fd);
    void (*close)(int fd);
    // Bytes read (0 when none are waiting), or -1 with errno set.
    long (*read)(int fd, uint8_t* buffer, size_t size);
    // Bytes written, or -1.
    long (*write)(int fd, const uint8_t* bytes, size_t count);
    // Bytes waiting in the driver's input queue, or -1.
    int (*inputQueued)(int fd);
    // Modem status lines; true and *carrier set when they could be read.
    bool (*carrierDetect)(int fd, bool* carrier);
    // Starts the periodic 250 ms tick: a descriptor the host can wait on, or -1.
    int (*startTimer)();
    void (*stopTimer)(int timerFd);
};

// The system's layer, in use by default: POSIX termios, or the Win32 communications API.
#ifdef _WIN32
const PortLayer& Win32PortLayer();
#else
const PortLayer& PosixPortLayer();
#endif
// Replaces the port layer (nullptr = the system's layer again). Only while no port is open.
void SetPortLayer(const PortLayer* layer);

// Calendar clock in whole seconds used by the link timer (nullptr = time()).
void SetClock(std::time_t (*now)());
// Sleep used by the modem dialling waits (nullptr = real sleep).
void SetSleep(void (*sleepMs)(uint32_t milliseconds));

// Runs the link exactly as the instrument does, weaknesses included, for a simulated peer:
// a NAK for every frame ahead and a REJECT for every bad checksum, ACK of the expected number
// for a repeated frame, a RESET when the receive queue is full, every NAK or REJECT starting a
// retransmission pass, and any acknowledgement in range releasing a link reset request.
// Off (the careful behaviour) by default.
void SetStrictProtocol(bool strict);

}  // namespace tarvik
