#include "bench/gui/spoken_message.h"

#include <cstdint>
#include <vector>

#include "vocodec/encoder.h"
#include "vocodec/frame_format.h"
#include "vocodec/recorder_message.h"
#include "vocodec/speech_messages.h"

namespace {

struct CodedSpeech {
    std::vector<std::uint8_t> stream;
    double seconds = 0;
};

const CodedSpeech& Sentences() {
    static const CodedSpeech coded = [] {
        std::vector<std::int16_t> pcm;
        for (int i = 0; i < vocodec::SpeechClipCount(); ++i) {
            const std::vector<std::int16_t>& clip = vocodec::SpeechClip(i);
            pcm.insert(pcm.end(), clip.begin(), clip.end());
        }
        vocodec::EncoderOptions options;
        options.quality = vocodec::Quality::SP;
        return CodedSpeech{vocodec::EncodeSpeech(pcm.data(), pcm.size(), options),
                           static_cast<double>(pcm.size()) / vocodec::kSampleRate};
    }();
    return coded;
}

}  // namespace

emu::StoredMessage SpokenMessage(double seconds) {
    emu::StoredMessage message;
    message.quality = emu::Quality::SP;
    message.dateValue = emu::TodayValue();
    message.timeValue = 9 * 1800;  // 09:00
    const CodedSpeech& sentences = Sentences();
    for (double spoken = 0; spoken < seconds && sentences.seconds > 0;
         spoken += sentences.seconds) {
        message.data.insert(message.data.end(), sentences.stream.begin(), sentences.stream.end());
    }
    message.data = vocodec::MakeRecorderMessage(std::move(message.data));
    return message;
}
