#pragma once
// The platform's part of the interruption (interruption_posix.cpp, interruption_win32.cpp):
// the wake-up that Wait sleeps on. Private to the interruption's files.
namespace interruption {

// Ends a Wait now and every later one until ClearWake. Async-signal-safe.
void WakeWaiters();
void ClearWake();

}  // namespace interruption
