// The codec's quality table: segmental SNR and LPC spectral distance per quality over the
// built-in speech clips, measured against the encoder's high-passed input with the
// postfilter off (its whole point is to move the waveform away from the original).
#include <cstdio>
#include <vector>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/quality_metrics.h"
#include "vocodec/speech_messages.h"

namespace {

struct Goal {
    vocodec::Quality quality;
    const char* name;
    double snr;
    double distance;
};

vocodec::QualityScore Measure(vocodec::Quality quality, bool silence, bool postfilter,
                              double* bitsPerSecond = nullptr) {
    vocodec::QualityScore total;
    double snr = 0.0, distance = 0.0;
    std::size_t bytes = 0, samples = 0;
    for (int c = 0; c < vocodec::SpeechClipCount(); ++c) {
        const auto& pcm = vocodec::SpeechClip(c);
        vocodec::EncoderOptions options;
        options.quality = quality;
        options.silenceDetection = silence;
        const auto stream = vocodec::EncodeSpeech(pcm.data(), pcm.size(), options);
        const auto decoded = vocodec::DecodeStream(stream.data(), stream.size(), postfilter);
        const auto reference = vocodec::EncoderReference(pcm.data(), pcm.size());
        std::vector<float> test(decoded.begin(), decoded.end());
        test.resize(reference.size(), 0.0f);
        const auto score = vocodec::MeasureQuality(reference.data(), test.data(), reference.size());
        snr += score.segmentalSnrDb * score.frames;
        distance += score.spectralDistanceDb * score.frames;
        total.frames += score.frames;
        bytes += stream.size();
        samples += pcm.size();
    }
    if (total.frames > 0) {
        total.segmentalSnrDb = snr / total.frames;
        total.spectralDistanceDb = distance / total.frames;
    }
    if (bitsPerSecond) *bitsPerSecond = 8.0 * bytes * vocodec::kSampleRate / samples;
    return total;
}

}  // namespace

int main() {
    const Goal goals[] = {
        {vocodec::Quality::SP, "SP", 8.0, 2.8},
        {vocodec::Quality::MP, "MP", 6.5, 3.1},
        {vocodec::Quality::LP, "LP", 4.0, 3.7},
    };
    std::printf("Speech clips: %d, 8000 samples per second\n\n", vocodec::SpeechClipCount());
    std::printf("%-4s %8s %10s %8s %10s %8s %10s %10s\n", "", "SNR dB", "goal", "LSD dB", "goal",
                "frames", "no-VAD SNR", "bits/s");
    bool met = true;
    for (const Goal& g : goals) {
        double rate = 0.0;
        const auto s = Measure(g.quality, true, false, &rate);
        const auto raw = Measure(g.quality, false, false);
        const bool ok = s.segmentalSnrDb >= g.snr && s.spectralDistanceDb <= g.distance;
        met = met && ok;
        std::printf("%-4s %8.2f %10s %8.2f %10s %8d %10.2f %10.0f %s\n", g.name, s.segmentalSnrDb,
                    (">= " + std::to_string(g.snr).substr(0, 3)).c_str(), s.spectralDistanceDb,
                    ("<= " + std::to_string(g.distance).substr(0, 3)).c_str(), s.frames,
                    raw.segmentalSnrDb, rate, ok ? "" : "(below goal)");
    }
    std::printf("\nWith the postfilter on (as the program hears it):\n");
    for (const Goal& g : goals) {
        const auto s = Measure(g.quality, true, true);
        std::printf("%-4s SNR %6.2f dB  LSD %5.2f dB\n", g.name, s.segmentalSnrDb,
                    s.spectralDistanceDb);
    }
    std::printf("\n%s\n", met ? "all goals met" : "some goals not met");
    return 0;
}
