#pragma once
#include <string>

namespace testsupport {

// The window tests' process's own folder: its settings, cache, runtime and program folders lie
// below it, and it goes when the process ends (made by the window tests' main).
const std::string& ScratchFolder();

}  // namespace testsupport
