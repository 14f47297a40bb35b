#include "vocodec/speech_messages.h"

#include <map>
#include <mutex>
#include <utility>

#include "vocodec/encoder.h"
#include "vocodec/recorder_message.h"
#include "vocodec/speech_clip_data.h"
#include "vocodec/wav_file.h"

namespace vocodec {
namespace {

int Wrap(int index) {
    const int count = kEmbeddedClipCount;
    return ((index % count) + count) % count;
}

const std::vector<std::vector<std::int16_t>>& Clips() {
    static const std::vector<std::vector<std::int16_t>> clips = [] {
        std::vector<std::vector<std::int16_t>> all;
        for (int i = 0; i < kEmbeddedClipCount; ++i) {
            WavAudio audio;
            std::string error;
            // The clips are ours and checked by the tests; a broken one would give silence.
            if (ParseWav(kEmbeddedClips[i].bytes, kEmbeddedClips[i].size, audio, error))
                all.push_back(ToCoderInput(audio));
            else
                all.emplace_back(kFrameSamples, 0);
        }
        return all;
    }();
    return clips;
}

}  // namespace

int SpeechClipCount() {
    return kEmbeddedClipCount;
}

const std::vector<std::int16_t>& SpeechClip(int index) {
    return Clips()[Wrap(index)];
}

std::string SpeechClipName(int index) {
    return kEmbeddedClips[Wrap(index)].name;
}

std::vector<std::uint8_t> SpeechMessage(int quality, int index) {
    const Quality q = IsQuality(quality) ? static_cast<Quality>(quality) : Quality::SP;
    const int clip = Wrap(index);
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::vector<std::uint8_t>> cache;
    const auto key = std::make_pair(static_cast<int>(q), clip);
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = cache.find(key);
        if (found != cache.end()) return found->second;
    }
    const std::vector<std::int16_t>& pcm = SpeechClip(clip);
    EncoderOptions options;
    options.quality = q;
    options.silenceDetection = true;
    std::vector<std::uint8_t> message =
        MakeRecorderMessage(EncodeSpeech(pcm.data(), pcm.size(), options));
    std::lock_guard<std::mutex> lock(mutex);
    cache.emplace(key, message);
    return message;
}

}  // namespace vocodec
