#include "emulator/spoken_voice.h"

#include "vocodec/speech_messages.h"

namespace emu {

VoiceSource SpokenVoice() {
    return [](Quality quality, int index) {
        return vocodec::SpeechMessage(static_cast<int>(quality), index);
    };
}

}  // namespace emu
