// The link timer as a thread timer: the library starts it with SetTimer() on the thread that opens
// the port, which is the window thread, and the event loop dispatches its messages to the
// library's callback. Nothing is left for the hook to do.

#include "app/LinkTimerHook.h"

namespace vexlan {

LinkTimerHook::LinkTimerHook(QObject* parent) : QObject(parent) {}

LinkTimerHook::~LinkTimerHook() = default;

void LinkTimerHook::Sync() {}

}  // namespace vexlan
