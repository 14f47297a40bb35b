#pragma once
#include <optional>

// Caps Lock, Num Lock and Scroll Lock as the platform reports them, for the status bar's
// indicators. A key the platform says nothing about stays empty and its pane stays blank.
struct LockKeyState {
    std::optional<bool> caps;
    std::optional<bool> num;
    std::optional<bool> scroll;
};

LockKeyState QueryLockKeys();
