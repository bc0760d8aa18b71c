#pragma once
// Drives the serial link library's 250 ms link timer from the event loop, the one place where the
// window layer meets the system's timer: each expiry runs one link tick (read what arrived, then
// acknowledge, poll or retransmit). Where the library's timer is a descriptor (LinkTimerHookPosix)
// the hook watches it while a port is open; where it is a thread timer (LinkTimerHookWin32) the
// event loop dispatches it by itself and the hook has nothing to watch.

#include <QObject>

class QSocketNotifier;

namespace vexlan {

class LinkTimerHook : public QObject {
    Q_OBJECT
public:
    explicit LinkTimerHook(QObject* parent = nullptr);
    ~LinkTimerHook() override;

    // Follows the library's timer: watches it while a port is open, nothing otherwise. Cheap;
    // called after every command, since commands are what open and close ports.
    void Sync();
    bool watching() const { return notifier_ != nullptr; }
    int ticks() const { return ticks_; }

private:
    void OnExpired();
    void StopWatching();

    QSocketNotifier* notifier_ = nullptr;
    int fd_ = -1;
    int ticks_ = 0;
};

}  // namespace vexlan
