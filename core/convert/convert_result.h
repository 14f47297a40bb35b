#pragma once
#include <cstdint>
#include <string>

enum class ConvertStatus {
    Ok,
    DecoderMissing,    // the library or one of its entries is not there
    InputUnreadable,   // the ".Bin" could not be opened
    OutputUnwritable,  // the ".wav" could not be created
    ReadFailed,        // reading the ".Bin" failed part-way
    WriteFailed,       // writing the ".wav" failed part-way (disk full, file removed)
    TooLong,           // the decoded audio would not fit a WAV file (4 GiB)
    Interrupted,       // stopped on request (Ctrl-C on the command line)
};

struct ConvertResult {
    ConvertStatus status = ConvertStatus::Ok;
    std::uint64_t blocks = 0;  // 320-byte blocks of audio written
    std::string detail;        // the system's words for a file failure, if any
    bool ok() const { return status == ConvertStatus::Ok; }
};

// A short English name of a status, for messages on the command line and in logs of tests.
const char* ConvertStatusName(ConvertStatus status);
