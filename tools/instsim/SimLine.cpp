#include "tools/instsim/SimLine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace instsim {
namespace {

SimLine* active = nullptr;

constexpr uint8_t kStart = 0x24, kEscape = 0xAA;
constexpr int kWriteWaitMs = 200;

int OpenFd(const char*) { return active ? active->masterFd() : -1; }
bool SaveSettings(int) { return true; }
bool Configure(int, int32_t) { return true; }
void Restore(int) {}
void CloseFd(int) {}
int Queued(int) { return 0; }
bool Carrier(int, bool* carrier) {
    *carrier = true;
    return true;
}
// The simulator drives its link itself; the tick descriptor is never watched.
int StartTimer() { return 0; }
void StopTimer(int) {}

// Unescaped copy of a frame's wire bytes.
std::vector<uint8_t> Unescape(const uint8_t* bytes, size_t count) {
    std::vector<uint8_t> out;
    bool escape = false;
    for (size_t i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (escape) {
            escape = false;
            out.push_back(b == 0xFE ? kStart : b == 0x22 ? kEscape : b);
        } else if (b == kEscape && i > 0) {
            escape = true;
        } else {
            out.push_back(b);
        }
    }
    return out;
}

}  // namespace

std::string Hex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

SimLine::SimLine(const LineFaults& faults, uint32_t paceBaud, FILE* log)
    : faults_(faults),
      paceBaud_(paceBaud),
      log_(log),
      random_(faults.seed),
      lineFreeAt_(std::chrono::steady_clock::now()),
      start_(lineFreeAt_) {
    layer_ = {OpenFd,    SaveSettings, Configure, Restore,    CloseFd,  ReadHook,
              WriteHook, Queued,       Carrier,   StartTimer, StopTimer};
    active = this;
}

SimLine::~SimLine() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    active = nullptr;
}

bool SimLine::Create(std::string* path, std::string* error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        *error = "cannot create a pseudo-terminal";
        return false;
    }
    *path = ::ptsname(master_);
    slave_ = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        *error = "cannot open " + *path;
        return false;
    }
    // Raw from the start: an echoing line discipline would send our own frames back to us
    // whenever the host is not attached.
    struct termios t;
    if (::tcgetattr(slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B115200);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    return true;
}

uint64_t SimLine::NowMs() const { return clock_ ? clock_->NowMs() : vexlan::test::SteadyMs(); }

void SimLine::Silence(uint32_t milliseconds) {
    silenced_ = true;
    silencedUntilMs_ = milliseconds == 0 ? UINT64_MAX : NowMs() + milliseconds;
}

const tarvik::PortLayer& SimLine::Layer() { return layer_; }

void SimLine::Log(const std::string& text) {
    if (!log_) return;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(log_, "%8lld %s\n", static_cast<long long>(ms), text.c_str());
    std::fflush(log_);
}

int SimLine::LineBaud() const {
    struct termios t;
    if (::tcgetattr(slave_, &t) != 0) return 0;
    switch (::cfgetispeed(&t)) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return -1;
    }
}

long SimLine::ReadHook(int, uint8_t* buffer, size_t size) { return active->Read(buffer, size); }
long SimLine::WriteHook(int, const uint8_t* bytes, size_t count) { return active->Write(bytes, count); }

long SimLine::Read(uint8_t* buffer, size_t size) {
    uint8_t chunk[1024];
    const long n = ::read(master_, chunk, sizeof chunk);
    if (n > 0) {
        ++activity_;
        if (log_) Log("rx " + std::to_string(LineBaud()) + " bytes: " + Hex(chunk, static_cast<size_t>(n)));
        for (long i = 0; i < n; ++i) TakeIn(chunk[i]);
    }
    size_t given = 0;
    while (given < size && !received_.empty()) {
        buffer[given++] = received_.front();
        received_.pop_front();
    }
    return static_cast<long>(given);
}

// Passes bytes on as whole frames, so that faults hit frames; bytes between frames go as they
// are.
void SimLine::TakeIn(uint8_t b) {
    FrameCutter& c = cutter_;
    if (b == kStart) {
        for (uint8_t w : c.wire) received_.push_back(w);  // an abandoned frame, unchanged
        c = FrameCutter{};
        c.wire.push_back(b);
        return;
    }
    if (c.wire.empty()) {
        received_.push_back(b);
        return;
    }
    c.wire.push_back(b);
    uint8_t value = b;
    if (c.escape) {
        c.escape = false;
        value = b == 0xFE ? kStart : b == 0x22 ? kEscape : b;
    } else if (b == kEscape) {
        c.escape = true;
        return;
    }
    if (++c.unescaped == 1) c.expected = 1 + value;  // the length byte counts what follows it
    if (c.expected > 0 && c.unescaped >= c.expected) {
        std::vector<uint8_t> frame;
        frame.swap(c.wire);
        c = FrameCutter{};
        Deliver(frame, "rx", &received_);
    }
}

void SimLine::Deliver(std::vector<uint8_t>& frame, const char* direction, std::deque<uint8_t>* out) {
    std::uniform_real_distribution<double> chance(0, 1);
    const std::vector<uint8_t> plain = Unescape(frame.data(), frame.size());
    std::string what = std::string(direction) + " frame: " + Hex(plain.data(), plain.size());
    if (silenced_ && NowMs() >= silencedUntilMs_) {
        silenced_ = false;
        Log("speaking again");
    }
    if (silenced_) {
        Log(what + " (silenced)");
        return;
    }
    if (chance(random_) < faults_.dropRate) {
        Log(what + " (dropped)");
        return;
    }
    int copies = 1;
    if (chance(random_) < faults_.corruptRate && frame.size() > 1) {
        const size_t at = 1 + random_() % (frame.size() - 1);
        frame[at] ^= static_cast<uint8_t>(1u << (random_() % 8));
        what += " (corrupted)";
    }
    if (chance(random_) < faults_.duplicateRate) {
        copies = 2;
        what += " (duplicated)";
    }
    Log(what);
    for (int i = 0; i < copies; ++i) {
        if (out) {
            out->insert(out->end(), frame.begin(), frame.end());
        } else {
            WriteOut(frame.data(), frame.size());
        }
    }
}

// The link code hands over one frame per write.
long SimLine::Write(const uint8_t* bytes, size_t count) {
    ++activity_;
    std::vector<uint8_t> frame(bytes, bytes + count);
    Deliver(frame, "tx", nullptr);
    return static_cast<long>(count);
}

void SimLine::WriteOut(const uint8_t* bytes, size_t count) {
    if (paceBaud_ > 0) {
        // 10 bit times per byte at 8N1; the line is busy until the previous bytes are out.
        const auto now = std::chrono::steady_clock::now();
        if (lineFreeAt_ < now) lineFreeAt_ = now;
        lineFreeAt_ += std::chrono::microseconds(count * 10ull * 1000000ull / paceBaud_);
        std::this_thread::sleep_until(lineFreeAt_);
    }
    size_t done = 0;
    while (done < count) {
        const long n = ::write(master_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        // Nobody reads the other side: what does not fit soon is lost, as on a real line.
        struct pollfd p = {master_, POLLOUT, 0};
        if (::poll(&p, 1, kWriteWaitMs) <= 0) return;
    }
}

}  // namespace instsim
