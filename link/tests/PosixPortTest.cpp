// The termios port layer against real pseudo-terminals and devices that are not terminals.

#include "link/tarvik.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The master side of a pseudo-terminal: what the instrument end of the cable would hold.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            path_ = ::ptsname(master_);
        }
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    const char* path() const { return path_.c_str(); }
    // Reads what arrives within the given time.
    Bytes Read(int waitMs) {
        Bytes out;
        struct pollfd p = {master_, POLLIN, 0};
        while (::poll(&p, 1, waitMs) > 0) {
            uint8_t buffer[512];
            long n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            out.insert(out.end(), buffer, buffer + n);
            waitMs = 50;
        }
        return out;
    }
    void Write(const Bytes& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<long>(bytes.size()));
    }

private:
    int master_ = -1;
    std::string path_;
};

class PosixPortTest : public ::testing::Test {
protected:
    void TearDown() override { comm_close(); }
};

TEST_F(PosixPortTest, OpensAPseudoTerminalRawAndSendsTheLinkReset) {
    Pty pty;
    ASSERT_FALSE(std::string(pty.path()).empty());
    struct termios before;
    {
        int fd = ::open(pty.path(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::tcgetattr(fd, &before), 0);
        ::close(fd);
    }
    ASSERT_EQ(comm_open_str(pty.path(), 115200), 0);
    EXPECT_EQ(comm_is_open(), 1);
    EXPECT_EQ(pty.Read(1000), (Bytes{0x24, 0x02, 0xBF, 0x41}));

    int fd = ::open(pty.path(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {  // root passes TIOCEXCL; the advisory lock still keeps a second user out
        struct termios now;
        ASSERT_EQ(::tcgetattr(fd, &now), 0);
        EXPECT_EQ(now.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(now.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(now.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(now.c_iflag & (IXON | IXOFF), 0u);
        EXPECT_EQ(::cfgetospeed(&now), static_cast<speed_t>(B115200));
        EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
    }

    // Raw bytes pass both ways unchanged; a read never waits.
    uint8_t byte = 0;
    EXPECT_EQ(get_raw_char(&byte), 0);
    pty.Write({0x24, 0xAA});
    struct pollfd p = {-1, 0, 0};
    ::poll(&p, 0, 100);
    EXPECT_EQ(raw_char_waiting(), 1);
    ASSERT_EQ(get_raw_char(&byte), 1);
    EXPECT_EQ(byte, 0x24);
    EXPECT_EQ(put_raw_char(0xAA), 1);
    EXPECT_EQ(pty.Read(500), (Bytes{0xAA}));

    comm_close();
    EXPECT_EQ(comm_is_open(), 0);
    fd = ::open(pty.path(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    struct termios after;
    ASSERT_EQ(::tcgetattr(fd, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);  // the settings found at open are back
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);  // and the lock is gone
    ::close(fd);
}

TEST_F(PosixPortTest, TimerDescriptorTicksWhileOpen) {
    Pty pty;
    EXPECT_EQ(comm_timer_fd(), -1);
    ASSERT_EQ(comm_open_str(pty.path(), 57600), 0);
    const int fd = comm_timer_fd();
    ASSERT_GE(fd, 0);
    struct pollfd p = {fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    uint64_t expiries = 0;
    EXPECT_EQ(::read(fd, &expiries, sizeof expiries), static_cast<long>(sizeof expiries));
    EXPECT_GE(expiries, 1u);
    comm_close();
    EXPECT_EQ(comm_timer_fd(), -1);
    // Disarmed: no expiry comes after the close.
    EXPECT_EQ(::poll(&p, 1, 400), 0);
}

TEST_F(PosixPortTest, BadDevicesAndRates) {
    EXPECT_EQ(comm_open_str("/nonexistent/tty", 115200), COMM_OPEN_NO_DEVICE);
    EXPECT_EQ(comm_open_str("", 115200), COMM_OPEN_NO_DEVICE);
    EXPECT_EQ(comm_open_str(nullptr, 115200), COMM_OPEN_NO_DEVICE);
    EXPECT_EQ(comm_open_str("/dev/null", 115200), COMM_OPEN_NO_SETTINGS);  // not a terminal
    char file[] = "/tmp/tarvik-port-XXXXXX";
    int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(comm_open_str(file, 115200), COMM_OPEN_NO_SETTINGS);
    ::unlink(file);
    EXPECT_EQ(comm_is_open(), 0);

    Pty pty;
    EXPECT_EQ(comm_open_str(pty.path(), 12345), COMM_OPEN_NO_CONFIG);
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_EQ(pty.Read(100), Bytes{});
    // A failed open holds nothing: the same device opens at a real rate.
    EXPECT_EQ(comm_open_str(pty.path(), 9600), 0);
}

TEST_F(PosixPortTest, CallsWithNoPortOpen) {
    uint8_t buffer[16];
    LinkStatistics stats;
    EXPECT_EQ(read_buffer(), -1);
    EXPECT_EQ(put_raw_char(1), -1);
    EXPECT_EQ(get_raw_char(buffer), 0);
    EXPECT_EQ(raw_char_waiting(), 0);
    EXPECT_EQ(get_status() & STATUS_CLOSED, STATUS_CLOSED);
    link_timer();
    windll_link_timer(nullptr, 0, 0, 0);
    get_statistics(&stats);
    get_statistics(nullptr);
    EXPECT_EQ(get_message(buffer, sizeof buffer), 0);
    EXPECT_EQ(get_raw_char(nullptr), 0);
    comm_close();
    EXPECT_EQ(comm_is_open(), 0);
}

}  // namespace
