#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/byte_stream.h"
#include "core/base/progress_display.h"
#include "tests/support/temp_folder.h"

namespace convert_test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* kProbeLibrary = "libframe_probe_decoder.so";
inline constexpr const char* kMissingEntryLibrary = "libprobe_missing_entry.so";

using ::TempFolder;

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A frame of the given header byte filled with a recognisable body: byte i is seed + i.
Bytes CodedFrame(std::uint8_t header, int length, std::uint8_t seed);
Bytes Join(std::initializer_list<Bytes> parts);

std::uint32_t Get32(const std::uint8_t* at);
std::uint16_t Get16(const std::uint8_t* at);

// What the probe decoder wrote into one block.
struct ProbeBlock {
    std::uint32_t resets = 0;
    std::uint32_t call = 0;
    std::uint32_t announcedLength = 0;
    std::array<std::uint8_t, 24> frame{};
    std::uint32_t previousCall = 0;
    bool fillIntact = false;  // bytes 44..319 are exactly the probe's pattern
};

struct WavFile {
    Bytes header;  // 44 bytes
    Bytes data;
    std::vector<ProbeBlock> Blocks() const;  // data split into probe blocks
};
// Splits a file into header and data; fails the calling test if shorter than 44 bytes.
WavFile ReadWav(const std::string& path);

// A progress display that records how the conversion drives it, and can act at a given step
// (to pull a file away underneath, say).
class RecordingProgress : public ProgressDisplay {
public:
    struct Log {
        std::vector<std::string> captions;  // what the factory was asked to make
        int created = 0;
        int lower = -1, upper = -1, step = -1;
        std::string text;
        int steps = 0;
        int pumps = 0;
        bool pumpedWithEscape = true;
        int hides = 0;
        int destroyed = 0;
        bool cancelAfterFirstStep = false;
        std::function<void(int step)> onStep;
    };
    explicit RecordingProgress(std::shared_ptr<Log> log) : m_log(std::move(log)) {
        ++m_log->created;
    }
    ~RecordingProgress() override { ++m_log->destroyed; }
    void SetRange(int lower, int upper, int step) override {
        m_log->lower = lower;
        m_log->upper = upper;
        m_log->step = step;
    }
    void SetText(const std::string& text) override { m_log->text = text; }
    int StepIt() override {
        ++m_log->steps;
        if (m_log->onStep) m_log->onStep(m_log->steps);
        return m_log->steps;
    }
    void PeekAndPump(bool cancelOnEscape) override {
        ++m_log->pumps;
        m_log->pumpedWithEscape = m_log->pumpedWithEscape && cancelOnEscape;
    }
    bool CancelPressed() const override { return m_log->cancelAfterFirstStep && m_log->steps > 0; }
    void Hide() override { ++m_log->hides; }

    // A factory for ConvertBinToWav that records into log.
    static ProgressFactory Factory(std::shared_ptr<Log> log);

private:
    std::shared_ptr<Log> m_log;
};

// Passes writes through until failAfter bytes were written, then fails like a full disk.
class FailingSink : public ByteSink {
public:
    FailingSink(ByteSink& inner, std::uint64_t failAfter) : m_inner(inner), m_left(failAfter) {}
    bool Write(const std::uint8_t* data, std::size_t size) override;
    std::string Error() const override { return "No space left on device"; }

private:
    ByteSink& m_inner;
    std::uint64_t m_left;
};

}  // namespace convert_test
