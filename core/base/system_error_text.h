#pragma once
#include <string>
#include <system_error>

// The system's words for an error number ("No such file or directory"). Safe on any thread, so
// the download and conversion threads may use it; never call strerror instead.
std::string SystemErrorText(int error);
// The same for an error code of the file system library; other categories give their message.
std::string SystemErrorText(const std::error_code& error);
// "<what>: <the system's words>", the form every file and device failure is shown in.
std::string WithSystemReason(const std::string& what, int error);
