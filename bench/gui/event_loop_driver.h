#pragma once
#include <chrono>
#include <functional>

// Carries out one step of the window as a click would: the action runs from the event loop, and
// the loop then runs until the step's outcome is there, whether the action waited for it
// (pumping events meanwhile) or handed it to a worker and returned at once. False when the
// outcome did not come within the time.
bool DriveUntil(const std::function<void()>& action, const std::function<bool()>& outcome,
                std::chrono::milliseconds timeout);

// Lets the event loop run for a while: what a step left to lay out and paint.
void RunEventLoopFor(std::chrono::milliseconds duration);
