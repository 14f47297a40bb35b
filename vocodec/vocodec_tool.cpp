#include "vocodec/vocodec_tool.h"

#include <algorithm>
#include <cctype>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/recorder_message.h"
#include "vocodec/wav_file.h"

namespace vocodec {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "Usage:\n"
    "  vocodec encode IN.wav OUT.Bin [--quality SP|MP|LP] [--no-silence] [--message]\n"
    "  vocodec decode IN.Bin OUT.wav [--no-postfilter]\n"
    "  vocodec --help\n"
    "\n"
    "encode  codes speech as the recorder's voice frames. IN.wav is 16-bit PCM; other rates\n"
    "        than 8000 samples per second are resampled and channels are mixed to mono.\n"
    "        --quality     SP (24-byte frames, best), MP (18 bytes) or LP (11 bytes);\n"
    "                      default SP\n"
    "        --no-silence  code pauses as speech instead of comfort noise and silence runs\n"
    "        --message     pad the output with 0xFF to whole 528-byte blocks, as the\n"
    "                      recorder stores a message\n"
    "decode  turns a \".Bin\" frame stream into a mono 16-bit WAV at 8000 samples per second.\n"
    "        --no-postfilter  the raw decoder output (for measurements)\n";

int Usage(std::ostream& err, const std::string& problem) {
    err << "vocodec: " << problem << "\n\n" << kUsageText;
    return kUsage;
}

// Long recordings take a while at the best quality; say how far the coding has got.
std::vector<std::uint8_t> EncodeWithProgress(const std::vector<std::int16_t>& pcm,
                                             const EncoderOptions& options, std::ostream& err,
                                             bool showProgress) {
    constexpr std::size_t kChunk = 10 * kSampleRate;
    constexpr std::size_t kWorthShowing = 60 * kSampleRate;
    Encoder encoder(options);
    std::vector<std::uint8_t> stream;
    const bool show = showProgress && pcm.size() >= kWorthShowing;
    for (std::size_t pos = 0; pos < pcm.size(); pos += kChunk) {
        if (show) err << "\rencoding " << pos * 100 / pcm.size() << "%" << std::flush;
        encoder.Encode(pcm.data() + pos, std::min(kChunk, pcm.size() - pos), stream);
    }
    encoder.Finish(stream);
    if (show) err << "\rencoding 100%\n" << std::flush;
    return stream;
}

int Encode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool showProgress) {
    std::vector<std::string> files;
    EncoderOptions options;
    bool message = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--quality" || a.rfind("--quality=", 0) == 0) {
            std::string value;
            if (a == "--quality") {
                if (i + 1 >= args.size()) return Usage(err, "--quality needs SP, MP or LP");
                value = args[++i];
            } else {
                value = a.substr(10);
            }
            for (char& c : value)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (value == "SP")
                options.quality = Quality::SP;
            else if (value == "MP")
                options.quality = Quality::MP;
            else if (value == "LP")
                options.quality = Quality::LP;
            else
                return Usage(err, "unknown quality '" + value + "' (use SP, MP or LP)");
        } else if (a == "--no-silence") {
            options.silenceDetection = false;
        } else if (a == "--message") {
            message = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(err, "unknown option '" + a + "'");
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return Usage(err, "encode needs IN.wav and OUT.Bin");

    WavAudio audio;
    std::string error;
    if (!ReadWavFile(files[0], audio, error)) {
        err << "vocodec: " << error << "\n";
        return kFailed;
    }
    if (audio.sampleRate != kSampleRate || audio.channels != 1)
        out << "note: " << files[0] << " is " << audio.sampleRate << " samples per second, "
            << audio.channels << " channel(s); coding it as mono at 8000\n";
    const std::vector<std::int16_t> pcm = ToCoderInput(audio);
    std::vector<std::uint8_t> stream = EncodeWithProgress(pcm, options, err, showProgress);
    if (message) stream = MakeRecorderMessage(std::move(stream));
    if (!WriteFileAtomically(files[1], stream, error)) {
        err << "vocodec: " << error << "\n";
        return kFailed;
    }
    out << files[1] << ": " << stream.size() << " bytes for "
        << static_cast<double>(pcm.size()) / kSampleRate << " s of speech\n";
    return kOk;
}

int Decode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool postfilter = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-postfilter")
            postfilter = false;
        else if (a.size() > 1 && a[0] == '-')
            return Usage(err, "unknown option '" + a + "'");
        else
            files.push_back(a);
    }
    if (files.size() != 2) return Usage(err, "decode needs IN.Bin and OUT.wav");
    std::vector<std::uint8_t> stream;
    std::string error;
    if (!ReadWholeFile(files[0], stream, error)) {
        err << "vocodec: " << error << "\n";
        return kFailed;
    }
    const std::vector<std::int16_t> pcm = DecodeStream(stream.data(), stream.size(), postfilter);
    if (!WriteFileAtomically(files[1], MakeWav(pcm.data(), pcm.size(), kSampleRate), error)) {
        err << "vocodec: " << error << "\n";
        return kFailed;
    }
    out << files[1] << ": " << static_cast<double>(pcm.size()) / kSampleRate << " s\n";
    return kOk;
}

}  // namespace

int RunVocodecTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool showProgress) {
    if (args.empty()) return Usage(err, "no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsageText;
        return kOk;
    }
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            out << kUsageText;
            return kOk;
        }
    if (command == "encode") return Encode(args, out, err, showProgress);
    if (command == "decode") return Decode(args, out, err);
    return Usage(err, "unknown command '" + command + "'");
}

}  // namespace vocodec
