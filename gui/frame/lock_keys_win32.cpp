// The lock keys on Windows: the low bit of a toggle key's state is its lock.
#include <windows.h>

#include "gui/frame/lock_keys.h"

LockKeyState QueryLockKeys() {
    auto locked = [](int key) { return (::GetKeyState(key) & 1) != 0; };
    return {locked(VK_CAPITAL), locked(VK_NUMLOCK), locked(VK_SCROLL)};
}
