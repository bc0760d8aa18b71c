// The link timer runs from the event loop while a port is open: over a pseudo-terminal with no
// peer answering, the link reset request sent at open is retransmitted only by link ticks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "app/LinkTimerHook.h"
#include "link/tarvik.h"

namespace {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slave_ = ptsname(master_);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    const char* slave() const { return slave_.empty() ? nullptr : slave_.c_str(); }
    // What the library wrote to the line so far.
    size_t Drain() {
        size_t total = 0;
        char buffer[512];
        for (ssize_t n; (n = read(master_, buffer, sizeof buffer)) > 0;) total += size_t(n);
        return total;
    }

private:
    int master_ = -1;
    std::string slave_;
};

void RunEventLoopFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

TEST(LinkTimerHook, TicksWhileAPortIsOpenAndStopsAfterClose) {
    PseudoTerminal line;
    ASSERT_NE(line.slave(), nullptr);
    vexlan::LinkTimerHook hook;
    hook.Sync();
    EXPECT_FALSE(hook.watching());  // no port, nothing to watch

    ASSERT_EQ(comm_open_str(line.slave(), 57600), COMM_OPEN_OK);
    hook.Sync();
    EXPECT_TRUE(hook.watching());
    EXPECT_GT(line.Drain(), 0u);  // the reset request of the open
    LinkStatistics before{};
    get_statistics(&before);

    // Unanswered, the request is sent again after two seconds of ticks.
    RunEventLoopFor(2700);
    LinkStatistics after{};
    get_statistics(&after);
    EXPECT_GE(hook.ticks(), 8);
    EXPECT_GT(after.retransmissions, before.retransmissions);
    EXPECT_GT(line.Drain(), 0u);

    comm_close();
    const int ticks = hook.ticks();
    hook.Sync();
    EXPECT_FALSE(hook.watching());
    RunEventLoopFor(600);
    EXPECT_EQ(hook.ticks(), ticks);
}

}  // namespace
