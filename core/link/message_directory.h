#pragma once
#include <array>
#include <cstdint>
#include <string>

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

struct MessageDirectory {
    std::uint8_t marker = 0;
    std::array<std::uint8_t, kFolderCount> count{};  // never above kMaxMessages
    // entry[f][m] for m = 1..100; index 0 is unused so numbers read as on the recorder.
    std::array<std::array<MessageEntry, kMaxMessages + 1>, kFolderCount> entry{};

    MessageEntry& Entry(int folder, int message) { return entry.at(folder).at(message); }
    const MessageEntry& Entry(int folder, int message) const {
        return entry.at(folder).at(message);
    }
    int Total() const;
    void ClearFlags();  // loaded, downloaded, converted of every entry; headers stay
};

// "%d_%02d.Bin" / "%d_%02d.wav": the names of a message's copies in the working folder.
std::string MessageFileName(int folder, int message, const char* extension);
inline std::string BinFileName(int folder, int message) {
    return MessageFileName(folder, message, ".Bin");
}
inline std::string WavFileName(int folder, int message) {
    return MessageFileName(folder, message, ".wav");
}
// True for a name the program itself gives message files ("3_07.Bin", "0_100.wav").
bool IsMessageFileName(const std::string& name);
