// The Win32 port layer: the communications API on a COM device, non-blocking reads through the
// port's time-outs, and a windowless thread timer for the link tick.

#include "link/TarvikTesting.h"
#include "link/tarvik.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace tarvik {
namespace {

// One port per process: the descriptor the rest of the library sees is this slot's number.
constexpr int kPortSlot = 0;
HANDLE portHandle = INVALID_HANDLE_VALUE;
COMMTIMEOUTS savedTimeouts;
UINT_PTR linkTimerId = 0;

// "COM10" and above only open in the device namespace form; other names go as given.
void DeviceName(const char* device, char* out, size_t size) {
    const bool comPort = std::strncmp(device, "COM", 3) == 0 && device[3] >= '1' && device[3] <= '9';
    if (comPort && std::strlen(device) > 4) {
        std::snprintf(out, size, "\\\\.\\%s", device);
    } else {
        std::snprintf(out, size, "%s", device);
    }
}

int OpenDevice(const char* device) {
    char name[280];
    DeviceName(device, name, sizeof name);
    HANDLE handle = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    portHandle = handle;
    return kPortSlot;
}

bool SaveSettings(int) { return ::GetCommTimeouts(portHandle, &savedTimeouts) != 0; }

bool Configure(int, int32_t baud) {
    char mode[64];
    std::snprintf(mode, sizeof mode, "baud=%ld parity=N data=8 stop=1", static_cast<long>(baud));
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::BuildCommDCBA(mode, &dcb)) return false;
    if (!::SetCommState(portHandle, &dcb)) return false;
    // Reads return at once with what the driver holds; writes have no time-out.
    COMMTIMEOUTS immediate = {MAXDWORD, 0, 0, 0, 0};
    if (!::SetCommTimeouts(portHandle, &immediate)) return false;
    // Whatever arrived before this session is not part of it: a peer's link reset requests
    // left over from an earlier open would reset the new link.
    ::PurgeComm(portHandle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return true;
}

void RestoreSettings(int) { ::SetCommTimeouts(portHandle, &savedTimeouts); }

void CloseDevice(int) {
    ::CloseHandle(portHandle);
    portHandle = INVALID_HANDLE_VALUE;
}

// A failed read reports the system's error code through errno, which read_buffer() returns.
long ReadDevice(int, uint8_t* buffer, size_t size) {
    DWORD count = 0;
    if (!::ReadFile(portHandle, buffer, static_cast<DWORD>(size), &count, nullptr)) {
        errno = static_cast<int>(::GetLastError());
        return -1;
    }
    return static_cast<long>(count);
}

long WriteDevice(int, const uint8_t* bytes, size_t count) {
    DWORD written = 0;
    if (!::WriteFile(portHandle, bytes, static_cast<DWORD>(count), &written, nullptr)) return -1;
    return static_cast<long>(written);
}

// Also clears the port's error condition, which would otherwise stop further reads.
int InputQueued(int) {
    DWORD errors = 0;
    COMSTAT status;
    if (!::ClearCommError(portHandle, &errors, &status)) return -1;
    return static_cast<int>(status.cbInQue);
}

bool CarrierDetect(int, bool* carrier) {
    DWORD lines = 0;
    if (!::GetCommModemStatus(portHandle, &lines)) return false;
    *carrier = (lines & MS_RLSD_ON) != 0;
    return true;
}

void CALLBACK OnLinkTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time) {
    windll_link_timer(window, message, timerId, time);
}

// A thread timer of the opening thread: it ticks whenever that thread dispatches its messages.
int StartTimer() {
    linkTimerId = ::SetTimer(nullptr, 0, 250, OnLinkTimer);
    return linkTimerId != 0 ? 1 : -1;
}

void StopTimer(int) {
    ::KillTimer(nullptr, linkTimerId);
    linkTimerId = 0;
}

const PortLayer kWin32Layer = {
    OpenDevice,  SaveSettings, Configure,     RestoreSettings, CloseDevice, ReadDevice,
    WriteDevice, InputQueued,  CarrierDetect, StartTimer,      StopTimer,
};

}  // namespace

const PortLayer& Win32PortLayer() { return kWin32Layer; }

}  // namespace tarvik
