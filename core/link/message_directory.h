#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/base/result.h"

// The PC's picture of what the recorder holds: the five folder counts and, per message, its
// header and what of it is on the PC.

inline constexpr int kFolderCount = 5;           // folders 0..4 on the wire ("1 File".."5 File")
inline constexpr int kMaxMessages = 100;         // messages 1..100 per folder
inline constexpr int kDirectoryBlockSize = 528;  // the directory block and every data block
inline constexpr int kHeaderBlockSize = 32;
inline constexpr std::uint8_t kDirectoryValidMarker = 0xFF;

// Bytes 0..9 of the 32-byte header block of one message. Little-endian fields.
struct MessageHeader {
    std::array<std::uint8_t, 10> bytes{};

    // (byte 1 >> 5) & 3: 2 = MP, 3 = SP, anything else LP.
    int QualityBits() const { return (bytes[1] >> 5) & 3; }
    std::uint16_t Length() const { return static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8); }
    // Two-second steps since midnight.
    std::uint16_t TimeValue() const { return static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8); }
    // Days since 1 January 2001.
    std::uint16_t DateValue() const { return static_cast<std::uint16_t>(bytes[8] | bytes[9] << 8); }
};

// What the link keeps of the 528-byte directory block: byte 0, the marker, and bytes 7 to 11,
// the number of messages in folders 0 to 4.
struct DirectoryBlock {
    std::uint8_t marker = 0;
    std::array<std::uint8_t, kFolderCount> counts{};
};

struct MessageEntry {
    MessageHeader header;
    int loaded = 0;      // header fetched by the last Connect
    int downloaded = 0;  // its ".Bin" was written whole by a download
    int converted = 0;   // its ".wav" was written by a conversion
};

class MessageDirectory {
public:
    using Counts = std::array<std::uint8_t, kFolderCount>;

    std::uint8_t Marker() const { return m_marker; }
    bool IsValid() const { return m_marker == kDirectoryValidMarker; }
    // Messages in folder 0..4 (0 for any other folder), never above kMaxMessages.
    int Count(int folder) const;
    const Counts& AllCounts() const { return m_count; }
    int Total() const;

    // entry[f][m] for m = 1..100, numbered as on the recorder. Throws std::out_of_range for
    // numbers outside the directory.
    MessageEntry& Entry(int folder, int message) {
        return m_entry.at(Index(folder)).at(Index(message));
    }
    const MessageEntry& Entry(int folder, int message) const {
        return m_entry.at(Index(folder)).at(Index(message));
    }
    // True for folder 0..4 and message 1..100.
    static bool InRange(int folder, int message);

    // Takes the marker and the counts of a directory block. The directory has room for 100
    // messages a folder; a larger count is line noise or a recorder fault and becomes 100.
    void Apply(const DirectoryBlock& block);
    // The count of one folder, as Apply would take it.
    void SetCount(int folder, int count);
    void ClearFlags();  // loaded, downloaded, converted of every entry; headers stay

    // After a message was deleted on the recorder: every later message moves down one number,
    // and its copies in workingFolder (which ends with the separator) with it; the deleted
    // message's copies go. BadRequest, changing nothing, for a message the folder does not
    // hold or without a working folder (relative paths would reach into whatever folder the
    // program runs in). FileNotWritten when a copy could not be moved or removed: the
    // directory is in step with the recorder all the same, and no entry claims a copy that is
    // not under its own number.
    Result RemoveEntry(int folder, int message, const std::string& workingFolder);

private:
    // A number as an index of the arrays; a negative one becomes an index at() refuses.
    static std::size_t Index(int number) { return static_cast<std::size_t>(number); }

    std::uint8_t m_marker = 0;
    Counts m_count{};
    // Index 0 of each folder is unused so numbers read as on the recorder.
    std::array<std::array<MessageEntry, kMaxMessages + 1>, kFolderCount> m_entry{};
};

// "%d_%02d.Bin" / "%d_%02d.wav": the names of a message's copies in the working folder.
std::string MessageFileName(int folder, int message, const char* extension);
inline std::string BinFileName(int folder, int message) {
    return MessageFileName(folder, message, ".Bin");
}
inline std::string WavFileName(int folder, int message) {
    return MessageFileName(folder, message, ".wav");
}
// The full path of a message's copy in workingFolder (which ends with the separator).
inline std::string MessageFilePath(const std::string& workingFolder, int folder, int message,
                                   const char* extension) {
    return workingFolder + MessageFileName(folder, message, extension);
}
// Why a message's copies cannot be looked after in workingFolder: BadRequest for a folder or
// message outside the directory, and without a working folder (relative paths would reach
// into whatever folder the program runs in); Ok otherwise.
Result CheckMessageFiles(int folder, int message, const std::string& workingFolder);
// True for a name the program itself gives message files ("3_07.Bin", "0_100.wav").
bool IsMessageFileName(const std::string& name);
