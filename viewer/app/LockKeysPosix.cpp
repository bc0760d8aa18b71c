#include "app/LockKeys.h"

namespace vexlan {

// Neither X11, Wayland nor the offscreen platform gives a Qt program the lock states.
std::optional<LockKeyStates> ReadLockKeyStates() { return std::nullopt; }

}  // namespace vexlan
