#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A model of the recorder as seen from its serial line, served on a pseudo-terminal. It powers
// `sonoret simulate`, the window program's --simulate and the integration tests.
namespace emu {

enum class Quality : std::uint8_t { LP = 1, MP = 2, SP = 3 };  // header byte 1, bits 5 and 6

inline constexpr int kBlockSize = 528;
inline constexpr int kHeaderSize = 32;
inline constexpr int kStatusSize = 4;
inline constexpr int kLineBytesPerSecond = 3840;  // 38400 baud, ten bits a byte

// One request as it travels on the line: AA, command code, two parameter bytes.
using Frame = std::array<std::uint8_t, 4>;

struct StoredMessage {
    Quality quality = Quality::SP;
    std::uint16_t timeValue = 0;     // two-second steps since midnight
    std::uint16_t dateValue = 0;     // days since 1 January 2001
    std::vector<std::uint8_t> data;  // the coded voice, a whole number of 528-byte blocks

    // data.size() / 528, a partial last block counting as one (it goes out padded with 0xFF);
    // also the header's length field. At most 65535.
    std::uint16_t Blocks() const;
    std::array<std::uint8_t, 32> HeaderBlock() const;
};

// Ways to make the recorder misbehave, for the tests. All off by default.
struct FaultSwitches {
    bool silent = false;       // answer nothing at all (and act on nothing)
    int shortReplyBytes = -1;  // >= 0: every reply is cut to this many bytes
    bool wrongEcho = false;    // status frames do not echo the command code
    int badMarkerReads = 0;    // the next N directory blocks carry marker 0x00
    std::array<int, 5> reportedCounts{-1, -1, -1, -1, -1};  // >= 0: counts the directory claims
    int stopAfterBlocks = -1;       // >= 0: a transfer sends this many blocks, then nothing
    int breakAfterBytes = -1;       // >= 0: a transfer stops this many bytes into its blocks
    double noiseRate = 0.0;         // chance per reply byte of being replaced by a random byte
    int disappearAfterFrames = -1;  // >= 0: the device vanishes after this many requests
};

// What the recorder sends back for one request. A transfer (the message download) ends as
// soon as anything arrives from the PC while it is going out.
struct Reply {
    std::vector<std::uint8_t> bytes;
    bool transfer = false;
};

// The recorder itself: folders, clock and the reply to each request frame. Not thread-safe;
// RecorderEmulator guards it.
class RecorderModel {
public:
    std::array<std::vector<StoredMessage>, 5> folders;
    int modeVariant = 2;          // byte 2 of the mode-on reply: 0x01 for variant 1
    std::uint16_t clockTime = 0;  // last value set by command 0xC1
    std::uint16_t clockDate = 0;  // last value set by command 0xC2
    bool modeOn = false;

    // Carries out the request and gives the honest reply; empty for a frame that is no
    // request. Messages that do not exist answer with a zero header and a block count of 0.
    Reply Answer(const Frame& frame);
    // The 528-byte block after the directory status: marker 0xFF, counts in bytes 7..11.
    std::array<std::uint8_t, kBlockSize> DirectoryBlock() const;
    // Message 1..n of folder 0..4, or null.
    const StoredMessage* Find(int folder, int message) const;
};

// Coded voice for the message of the given quality and index in the demo content.
using VoiceSource = std::function<std::vector<std::uint8_t>(Quality, int index)>;

// Content for a new emulator: which messages its folders hold. The default fills the five
// folders with a few messages of every quality; data bytes come from the voice source below.
struct Options {
    int modeVariant = 2;
    bool paced = false;                        // send at the real line rate, 3840 bytes per second
    unsigned seed = 1;                         // for generated content and line noise
    std::array<int, 5> counts{3, 1, 0, 2, 4};  // messages per folder in the default content
    // Coded voice for a message of the given quality and index; the default (null) gives
    // arbitrary bytes. The voice codec installs real speech here.
    VoiceSource voiceSource;
    // The newest recording date of the generated content, as days since 1 January 2001;
    // negative: the PC's date today.
    int today = -1;
    // Called on the serving thread with one line per request and per transfer's end, for a
    // console that wants to show what the program asks. Must not call back into the emulator.
    std::function<void(const std::string&)> activityLog;
};

// Checks options a user typed (for example for `sonoret simulate`): empty when they are usable,
// else what is wrong with them.
std::string CheckOptions(const Options& options);

// The PC's local date today as a recorder date value (days since 1 January 2001).
std::uint16_t TodayValue();

// The messages a new emulator holds: options.counts per folder (each clamped to 0..100), dates
// in the weeks up to `today`, rising with the message number, all three qualities. The same
// options, seed and day give the same content, byte for byte.
std::array<std::vector<StoredMessage>, 5> DemoContent(const Options& options, std::uint16_t today);

// The recorder a new emulator starts as: options' variant, holding the DemoContent up to
// options.today (the PC's date today when negative).
RecorderModel NewRecorder(const Options& options);

// "directory", "header 0/3", "download 2/7", "set time 13:45", ... for logs; "?" for a frame
// that is no request.
std::string DescribeFrame(const Frame& frame);

class RecorderEmulator {
public:
    explicit RecorderEmulator(Options options = {});
    ~RecorderEmulator();  // stops serving
    RecorderEmulator(const RecorderEmulator&) = delete;
    RecorderEmulator& operator=(const RecorderEmulator&) = delete;

    // Opens a pseudo-terminal and starts serving it on a thread of its own.
    bool Start(std::string* error = nullptr);
    // Ends serving and closes the pseudo-terminal; a program that still has it open sees a
    // hang-up. Safe to call twice.
    void Stop();
    // The device the program opens (the pseudo-terminal's slave side).
    std::string DevicePath() const;

    // Thread-safe access to the recorder's state.
    void WithModel(const std::function<void(RecorderModel&)>& change);
    void SetFaults(const FaultSwitches& faults);
    // The switches now in force (bad marker reads left, for example).
    FaultSwitches Faults() const;
    // True once the device vanished (FaultSwitches::disappearAfterFrames).
    bool DeviceGone() const;

    // Everything the program sent, for checking the bytes on the wire.
    std::vector<std::uint8_t> ReceivedBytes() const;
    // The 4-byte request frames recognised so far, in order.
    std::vector<std::array<std::uint8_t, 4>> ReceivedFrames() const;
    void ClearLog();
    // Waits until at least n frames were recognised; false on time-out.
    bool WaitForFrames(std::size_t n, std::chrono::milliseconds timeout) const;
    // Waits until at least n bytes were received in all (since the last ClearLog). What the
    // program wrote reaches the log only when the serving thread has read it, so a check
    // right after a write (the cancel filler, say) waits here first.
    bool WaitForBytes(std::size_t n, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace emu
