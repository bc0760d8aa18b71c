// Opening, configuring and closing the one serial port, modem dialling and unframed byte I/O.

#include "link/LinkState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <time.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvik {
namespace {

PortState portState;
const PortLayer* activeLayer = nullptr;
std::time_t (*clockSource)() = nullptr;
void (*sleepSource)(uint32_t) = nullptr;

constexpr size_t kMaxDialLength = 254;
constexpr int kCarrierPolls = 30;

// "COM3" and the like; anything else is a device path.
int ComPortNumber(const char* name) {
    if (std::strncmp(name, "COM", 3) != 0) return 0;
    if (name[3] < '1' || name[3] > '9' || name[4] != '\0') return 0;
    return name[3] - '0';
}

#ifdef _WIN32
// The system names its ports itself.
void DeviceOfComPort(int number, char* out, size_t size) { std::snprintf(out, size, "COM%d", number); }
#else
// COM n is /dev/ttyS{n-1} unless TARVIK_COM<n> names the device.
void DeviceOfComPort(int number, char* out, size_t size) {
    char variable[16];
    std::snprintf(variable, sizeof variable, "TARVIK_COM%d", number);
    const char* overridden = std::getenv(variable);
    if (overridden && *overridden) {
        std::snprintf(out, size, "%s", overridden);
    } else {
        std::snprintf(out, size, "/dev/ttyS%d", number - 1);
    }
}
#endif

bool DialModem() {
    SleepMs(3000);
    put_raw_string("ATZ\r");
    SleepMs(5000);
    put_raw_string("ATD");
    put_raw_string(portState.dialString);
    put_raw_string("\r");
    bool connected = false;
    for (int poll = 0; poll < kCarrierPolls && !connected; ++poll) {
        bool carrier = false;
        if (Layer().carrierDetect(portState.fd, &carrier) && carrier) connected = true;
        SleepMs(1000);
    }
    return connected;
}

int16_t OpenDevice(const char* device, int32_t baud) {
    int fd = Layer().open(device);
    if (fd < 0) return COMM_OPEN_NO_DEVICE;
    portState.fd = fd;

    const bool modem = portState.connectionType == CONNECTION_MODEM;
    const int32_t lineBaud = modem ? 9600 : baud;

    if (!Layer().saveSettings(fd)) {
        comm_close();
        return COMM_OPEN_NO_SETTINGS;
    }
    portState.settingsSaved = true;
    if (!Layer().configure(fd, lineBaud)) {
        comm_close();
        return COMM_OPEN_NO_CONFIG;
    }
    if (modem && !DialModem()) {
        comm_close();
        return COMM_OPEN_NO_CARRIER;
    }
    FullLinkReset();
    portState.timerFd = Layer().startTimer();
    if (portState.timerFd < 0) {
        comm_close();
        return COMM_OPEN_NO_TIMER;
    }
    comm_reset();
    return COMM_OPEN_OK;
}

// Unloading the library closes the port and puts its settings back.
__attribute__((destructor)) void CloseAtUnload() { comm_close(); }

}  // namespace

PortState& Port() { return portState; }
#ifdef _WIN32
const PortLayer& Layer() { return activeLayer ? *activeLayer : Win32PortLayer(); }
#else
const PortLayer& Layer() { return activeLayer ? *activeLayer : PosixPortLayer(); }
#endif

std::time_t Now() { return clockSource ? clockSource() : std::time(nullptr); }

void SleepMs(uint32_t milliseconds) {
    if (sleepSource) {
        sleepSource(milliseconds);
        return;
    }
#ifdef _WIN32
    ::Sleep(milliseconds);
#else
    struct timespec delay = {static_cast<time_t>(milliseconds / 1000),
                             static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {}
#endif
}

long WritePort(const uint8_t* bytes, size_t count) {
    if (portState.fd < 0) return -1;
    return Layer().write(portState.fd, bytes, count);
}

void SetPortLayer(const PortLayer* layer) { activeLayer = layer; }
void SetClock(std::time_t (*now)()) { clockSource = now; }
void SetSleep(void (*sleepMs)(uint32_t)) { sleepSource = sleepMs; }

}  // namespace tarvik

using namespace tarvik;

extern "C" {

TARVIK_API int16_t TARVIK_CALL comm_open(int32_t port, int32_t baud) {
    if (port < 1 || port > 9 || portState.fd >= 0) return COMM_OPEN_BAD_PORT;
    char device[256];
    DeviceOfComPort(port, device, sizeof device);
    return OpenDevice(device, baud);
}

TARVIK_API int16_t TARVIK_CALL comm_open_str(const char* device, int32_t baud) {
    // A second open would lose the first port's handle and settings.
    if (portState.fd >= 0) return COMM_OPEN_BAD_PORT;
    if (!device || !*device) return COMM_OPEN_NO_DEVICE;
    if (int number = ComPortNumber(device)) {
        char mapped[256];
        DeviceOfComPort(number, mapped, sizeof mapped);
        return OpenDevice(mapped, baud);
    }
    return OpenDevice(device, baud);
}

TARVIK_API void TARVIK_CALL comm_close(void) {
    if (portState.timerFd >= 0) {
        Layer().stopTimer(portState.timerFd);
        portState.timerFd = -1;
    }
    // The saved settings belong to the device they were read from; never apply them to another.
    if (portState.settingsSaved && portState.fd >= 0) Layer().restoreSettings(portState.fd);
    portState.settingsSaved = false;
    if (portState.fd >= 0) {
        Layer().close(portState.fd);
        portState.fd = -1;
    }
}

TARVIK_API uint8_t TARVIK_CALL comm_is_open(void) { return portState.fd >= 0 && portState.timerFd >= 0 ? 1 : 0; }

TARVIK_API void TARVIK_CALL comm_set_connection_type(int32_t type) { portState.connectionType = type; }

TARVIK_API void TARVIK_CALL comm_set_modem_dial_string(const char* dial) {
    if (!dial) dial = "";
    size_t length = std::strlen(dial);
    if (length > kMaxDialLength) length = kMaxDialLength;
    std::memcpy(portState.dialString, dial, length);
    portState.dialString[length] = '\0';
}

TARVIK_API int32_t TARVIK_CALL put_raw_char(int32_t c) {
    if (portState.fd < 0) return -1;
    uint8_t byte = static_cast<uint8_t>(c & 0xFF);
    return WritePort(&byte, 1) == 1 ? 1 : 0;
}

TARVIK_API uint8_t TARVIK_CALL get_raw_char(uint8_t* byte) {
    if (portState.fd < 0 || !byte) return 0;
    uint8_t received;
    if (Layer().read(portState.fd, &received, 1) != 1) return 0;
    *byte = received;
    return 1;
}

TARVIK_API void TARVIK_CALL put_raw_string(const char* text) {
    if (portState.fd < 0 || !text) return;
    size_t length = std::strlen(text);
    if (length > 0) WritePort(reinterpret_cast<const uint8_t*>(text), length);
}

TARVIK_API uint8_t TARVIK_CALL raw_char_waiting(void) {
    if (portState.fd < 0) return 0;
    return Layer().inputQueued(portState.fd) > 0 ? 1 : 0;
}

TARVIK_API void TARVIK_CALL sentra_attention(void) {
    if (portState.fd < 0) return;
    uint8_t pattern[1320];
    std::memset(pattern, 0x55, sizeof pattern);
    WritePort(pattern, sizeof pattern);
}

#ifdef _WIN32
// The thread timer needs no hand-over: the host's message loop dispatches it.
TARVIK_API int TARVIK_CALL comm_timer_fd(void) { return -1; }
#else
TARVIK_API int TARVIK_CALL comm_timer_fd(void) { return comm_is_open() ? portState.timerFd : -1; }
#endif

}  // extern "C"
