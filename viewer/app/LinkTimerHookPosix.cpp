// The link timer as a timerfd, watched by a socket notifier of the event loop.

#include "app/LinkTimerHook.h"

#include <QSocketNotifier>
#include <cstdint>
#include <unistd.h>

#include "link/tarvik.h"

namespace vexlan {

LinkTimerHook::LinkTimerHook(QObject* parent) : QObject(parent) {}

LinkTimerHook::~LinkTimerHook() { StopWatching(); }

void LinkTimerHook::StopWatching() {
    delete notifier_;
    notifier_ = nullptr;
    fd_ = -1;
}

void LinkTimerHook::Sync() {
    const int fd = comm_is_open() ? comm_timer_fd() : -1;
    if (fd == fd_) return;
    StopWatching();
    if (fd < 0) return;
    fd_ = fd;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnExpired(); });
}

void LinkTimerHook::OnExpired() {
    // The port may have been closed by a command since the descriptor was last looked at.
    if (!comm_is_open() || comm_timer_fd() != fd_) {
        StopWatching();
        return;
    }
    // Several expiries missed while the loop was busy still make one tick, as a timer message would.
    std::uint64_t expiries = 0;
    if (read(fd_, &expiries, sizeof expiries) != static_cast<ssize_t>(sizeof expiries)) return;
    ++ticks_;
    windll_link_timer(nullptr, 0, 0, 0);
}

}  // namespace vexlan
