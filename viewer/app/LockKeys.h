#pragma once
// The states of the three lock keys for the status bar's indicators, where the system lets a
// program read them (Windows); elsewhere there is no answer and the indicators are left out.

#include <optional>

namespace vexlan {

struct LockKeyStates {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

std::optional<LockKeyStates> ReadLockKeyStates();

}  // namespace vexlan
