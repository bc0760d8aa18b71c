#include "app/LockKeys.h"

#include <windows.h>

namespace vexlan {

std::optional<LockKeyStates> ReadLockKeyStates() {
    // The low bit of a toggle key's state is its lock.
    auto locked = [](int key) { return (GetKeyState(key) & 1) != 0; };
    return LockKeyStates{locked(VK_CAPITAL), locked(VK_NUMLOCK), locked(VK_SCROLL)};
}

}  // namespace vexlan
