// The POSIX termios port layer: exclusive raw 8N1 access, non-blocking reads, bounded writes.

#include "link/TarvikTesting.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace tarvik {
namespace {

// A line that does not drain (a peer that stopped reading a pseudo-terminal, a stuck driver)
// must not hang the caller: a write gives up after this long.
constexpr int kWriteWaitMs = 2000;

struct termios savedSettings;
int linkTimerFd = -1;

bool SpeedOf(int32_t baud, speed_t* speed) {
    static const struct {
        int32_t baud;
        speed_t speed;
    } kSpeeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
        {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
        {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& entry : kSpeeds) {
        if (entry.baud == baud) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

int OpenDevice(const char* device) {
    int fd = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // Another process of ours holding the port is refused here; TIOCEXCL keeps out others.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    if (::isatty(fd)) ::ioctl(fd, TIOCEXCL);
    return fd;
}

bool SaveSettings(int fd) { return ::tcgetattr(fd, &savedSettings) == 0; }

bool Configure(int fd, int32_t baud) {
    speed_t speed;
    if (!SpeedOf(baud, &speed)) return false;
    struct termios t = savedSettings;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return false;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;

    // Pseudo-terminals and some adapters have no modem lines: raising them is best effort.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    // USB adapters otherwise hold short replies (acknowledgements) back for up to 16 ms.
    struct serial_struct serial;
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
    // Whatever arrived before this session is not part of it.
    ::tcflush(fd, TCIOFLUSH);
    return true;
}

void RestoreSettings(int fd) {
    ::tcsetattr(fd, TCSANOW, &savedSettings);
    ::ioctl(fd, TIOCNXCL);
}

void CloseDevice(int fd) { ::close(fd); }

long ReadDevice(int fd, uint8_t* buffer, size_t size) {
    long n = ::read(fd, buffer, size);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return n;
}

long WriteDevice(int fd, const uint8_t* bytes, size_t count) {
    size_t done = 0;
    struct timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    while (done < count) {
        long n = ::write(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        struct timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        long elapsedMs = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsedMs >= kWriteWaitMs) break;
        struct pollfd p = {fd, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(kWriteWaitMs - elapsedMs));
    }
    return done > 0 ? static_cast<long>(done) : -1;
}

int InputQueued(int fd) {
    int count = 0;
    if (::ioctl(fd, FIONREAD, &count) != 0) return -1;
    return count;
}

bool CarrierDetect(int fd, bool* carrier) {
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0) return false;
    *carrier = (lines & TIOCM_CAR) != 0;
    return true;
}

// One descriptor for the life of the process, so that a host watching it is not left with a
// stale number after a close and reopen.
int StartTimer() {
    if (linkTimerFd < 0) {
        linkTimerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (linkTimerFd < 0) return -1;
    }
    struct itimerspec period = {{0, 250000000}, {0, 250000000}};
    if (::timerfd_settime(linkTimerFd, 0, &period, nullptr) != 0) return -1;
    return linkTimerFd;
}

void StopTimer(int timerFd) {
    struct itimerspec off = {};
    ::timerfd_settime(timerFd, 0, &off, nullptr);
    uint64_t expiries;
    while (::read(timerFd, &expiries, sizeof expiries) == sizeof expiries) {}
}

const PortLayer kPosixLayer = {
    OpenDevice,  SaveSettings, Configure,     RestoreSettings, CloseDevice, ReadDevice,
    WriteDevice, InputQueued,  CarrierDetect, StartTimer,      StopTimer,
};

}  // namespace

const PortLayer& PosixPortLayer() { return kPosixLayer; }

}  // namespace tarvik
