#pragma once
#include <ctime>
#include <optional>
#include <string>

#include "core/link/message_directory.h"

// How a recorder folder and a message are shown to the user, in the recorder tree and on the
// command line alike.

// "SP", "MP" or "LP" from the header's quality bits.
const char* QualityName(const MessageHeader& header);
// length * factor / 1000, the factor by recorder variant (mode 1 or other) and quality.
int DurationSeconds(const MessageHeader& header, int mode);
// "1 File" .. "5 File" for folders 0..4.
std::string FolderBaseName(int folder);
// "%s (%d)": "2 File (14)".
std::string FolderLabel(int folder, int count);
// "%02d: %02d-%02d %02d:%02d (%s-%d:%02d)": "03: 12-25 14:05 (SP-1:07)". The date is
// recordingDate (from DateFromValue) read in local time.
std::string MessageLabel(int message, const MessageHeader& header, int mode,
                         std::time_t recordingDate);
// The message number of a message label: the digits before its ":". Nothing when the label
// does not start with a number from 1 to 100 followed by ":" (a folder label, say).
std::optional<int> MessageNumberFromLabel(const std::string& label);
// The folder index 0..4 of a folder label ("3 File (2)" gives 2), or nothing.
std::optional<int> FolderFromLabel(const std::string& label);
// "%04d-%02d-%02d %02d:%02d" of a message's recording date and time, for the status bar.
std::string MessageDateText(const MessageHeader& header, std::time_t recordingDate);
