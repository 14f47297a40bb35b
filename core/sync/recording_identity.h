#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "core/link/message_directory.h"

// Who a recording is, whatever number the recorder gives it today: what the recorder stores
// about it in its header. Deleting a message renumbers the ones after it; their identities
// stay.
struct RecordingIdentity {
    int quality = 0;  // the quality bits of header byte 1 (2 MP, 3 SP, else LP)
    int length = 0;   // header bytes 4-5: its length in 528-byte blocks
    int time = 0;     // header bytes 6-7: two-second steps since midnight
    int date = 0;     // header bytes 8-9: days since 1 January 2001

    bool operator==(const RecordingIdentity&) const = default;
};

RecordingIdentity IdentityOf(const MessageHeader& header);

// A loaded message of the directory and who it is. Two recordings of the same identity (the
// same second, length and quality) are told apart by their order: occurrence 1 is the first
// of that identity in folder and message order, 2 the second, ...
struct LoadedRecording {
    int folder = 0;   // 0..4
    int message = 0;  // 1..100
    RecordingIdentity identity;
    int occurrence = 1;
};

// Every loaded message of the directory, in folder and message order.
std::vector<LoadedRecording> LoadedRecordings(const MessageDirectory& directory);

// When a recording was made, on the recorder's clock (the PC's local time).
struct RecordingTime {
    int year = 2001, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    // The moment it names in this PC's time zone, daylight saving taken into account.
    std::time_t When() const;
    // "2025-07-14T12:00:00"
    std::string Iso() const;
};

RecordingTime RecordingTimeOf(const RecordingIdentity& identity);

// Bytes the recorder sends for the recording (its blocks), and the seconds the line needs for
// them at its 3840 bytes a second.
std::uint64_t LineBytes(const RecordingIdentity& identity);
double LineSeconds(std::uint64_t bytes);
