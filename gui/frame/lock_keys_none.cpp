// A platform that does not report its lock keys.
#include "gui/frame/lock_keys.h"

LockKeyState QueryLockKeys() {
    return {};
}
