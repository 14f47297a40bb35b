#pragma once
#include <functional>
#include <string>

#include "core/base/progress_display.h"
#include "core/base/result.h"
#include "core/convert/convert_result.h"
#include "core/convert/decoder_library.h"
#include "core/link/recorder_link.h"

// The message files of the PC side: "make sure this message's .Bin is here" and "make sure
// its WAV is here", in a working folder given with each call, under the progress displays the
// caller's factory makes. It keeps the directory's downloaded and converted flags and looks
// at the files too: a flag whose file has gone is not trusted, and the file is made again.
//
// This is the synchronous form, for the command line and for work already on a worker
// thread; AsyncRecorderRunner runs it (and any other recorder operation) for the window.
class MessageFiles {
public:
    MessageFiles(RecorderLink& link, const DecoderLibrary& decoder)
        : m_link(link), m_decoder(decoder) {}

    // The message's ".Bin" in workingFolder, downloaded now unless it is there already.
    Result EnsureBin(int folder, int message, const std::string& workingFolder,
                     const ProgressFactory& progress);
    // Its ".wav" beside it, converted now (and downloaded first when need be) unless it is
    // there already. The blocks of audio written, when it was converted now.
    ConvertResult EnsureWav(int folder, int message, const std::string& workingFolder,
                            const ProgressFactory& progress);
    // The ".Bin" that is there converted into its ".wav" at the rate of the recorder's mode,
    // under the "Convert" progress; marks the message converted. Given a wavPath, the WAV
    // file goes there instead (the command line's output) and no flag changes.
    ConvertResult ConvertToWav(int folder, int message, const std::string& workingFolder,
                               const ProgressFactory& progress, const std::string& wavPath = {});

    // The conversion of the message's ".Bin" that is here into its ".wav", as a task that needs
    // nothing of the link or of this object: for a thread beside the link's, while the link
    // receives the next message. It runs to the end (no interrupt query) and changes no flag:
    // once it succeeded, the link's thread marks the message converted (MarkConverted).
    std::function<ConvertResult()> ConversionTask(int folder, int message,
                                                  const std::string& workingFolder) const;
    void MarkConverted(int folder, int message);
    // Ok when messages can be converted: the decoder library is loaded.
    Result ConversionReadiness() const { return m_decoder.Readiness(); }

    // Whether the message's copy is there: its flag set and its file present.
    bool HasBin(int folder, int message, const std::string& workingFolder) const;
    bool HasWav(int folder, int message, const std::string& workingFolder) const;

    // Asked every few frames of a conversion; true stops it as Cancelled (the command line's
    // Ctrl-C). In the window program a conversion always finishes.
    void SetInterruptQuery(std::function<bool()> interrupted) {
        m_interrupted = std::move(interrupted);
    }

private:
    RecorderLink& m_link;
    const DecoderLibrary& m_decoder;
    std::function<bool()> m_interrupted;
};
