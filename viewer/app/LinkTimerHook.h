#pragma once
// Drives the serial link library's 250 ms link timer from the event loop: while a port is open the
// library's timer descriptor becomes readable at every expiry, and each expiry runs one link tick
// (read what arrived, then acknowledge, poll or retransmit).

#include <QObject>

class QSocketNotifier;

namespace vexlan {

class LinkTimerHook : public QObject {
    Q_OBJECT
public:
    explicit LinkTimerHook(QObject* parent = nullptr);
    ~LinkTimerHook() override;

    // Follows the library's descriptor: watches it while a port is open, nothing otherwise. Cheap;
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
