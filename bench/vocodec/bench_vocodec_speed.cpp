// Decode (and encode) speed per quality, in times real time on one core. CPU time of this
// thread is what counts, so other work on a shared machine does not skew the figures.
#include <time.h>

#include <cstdio>
#include <vector>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/speech_messages.h"

namespace {

double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Frames of all clips at one quality, silence runs expanded the way the converter calls.
std::vector<std::vector<std::uint8_t>> Frames(int quality) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (int c = 0; c < vocodec::SpeechClipCount(); ++c) {
        const auto message = vocodec::SpeechMessage(quality, c);
        for (std::size_t pos = 0; pos < message.size();) {
            const int length = vocodec::FrameBytesOfHeader(message[pos]);
            if (message.size() - pos < static_cast<std::size_t>(length)) break;
            if (vocodec::KindOfHeader(message[pos]) == vocodec::FrameKind::SilenceRun) {
                for (int r = vocodec::SilenceRunLength(message[pos], message[pos + 1]); r > 0; --r)
                    frames.push_back({vocodec::kSilenceHeader, 0x00});
            } else {
                frames.emplace_back(message.begin() + pos, message.begin() + pos + length);
            }
            pos += length;
        }
    }
    return frames;
}

}  // namespace

int main() {
    const char* names[] = {"", "LP", "MP", "SP"};
    std::printf("%-4s %14s %14s\n", "", "decode x RT", "encode x RT");
    bool met = true;
    for (int quality = 3; quality >= 1; --quality) {
        const auto frames = Frames(quality);
        vocodec::Decoder decoder(true);
        std::int16_t pcm[vocodec::kFrameSamples];
        long decoded = 0;
        std::uint64_t checksum = 0;
        const double start = ThreadSeconds();
        double elapsed = 0.0;
        while (elapsed < 1.0) {
            decoder.Reset();
            for (const auto& f : frames) {
                decoder.Decode(f.data(), pcm);
                checksum += static_cast<std::uint16_t>(pcm[17]);
            }
            decoded += static_cast<long>(frames.size());
            elapsed = ThreadSeconds() - start;
        }
        const double decodeSpeed = decoded * 0.02 / elapsed;

        std::size_t samples = 0;
        const double encodeStart = ThreadSeconds();
        for (int c = 0; c < vocodec::SpeechClipCount(); ++c) {
            const auto& clip = vocodec::SpeechClip(c);
            vocodec::EncoderOptions options;
            options.quality = static_cast<vocodec::Quality>(quality);
            checksum += vocodec::EncodeSpeech(clip.data(), clip.size(), options).size();
            samples += clip.size();
        }
        const double encodeSpeed =
            samples / static_cast<double>(vocodec::kSampleRate) / (ThreadSeconds() - encodeStart);
        met = met && decodeSpeed >= 1000.0;
        std::printf("%-4s %14.0f %14.1f   (checksum %llu)\n", names[quality], decodeSpeed,
                    encodeSpeed, static_cast<unsigned long long>(checksum % 1000));
    }
    std::printf("\ngoal: decoding >= 1000 x real time: %s\n", met ? "met" : "NOT met");
    return 0;
}
