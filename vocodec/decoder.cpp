#include "vocodec/decoder.h"

#include <cmath>

namespace vocodec {

std::int16_t SaturateToPcm(float v) {
    if (!(v == v)) return 0;
    const float r = std::nearbyint(v);
    if (r >= 32767.0f) return 32767;
    if (r <= -32768.0f) return -32768;
    return static_cast<std::int16_t>(r);
}

void Decoder::Reset() {
    m_synth.Reset();
    m_postfilter.Reset();
}

void Decoder::Decode(const std::uint8_t* frame, std::int16_t* pcm) {
    float out[kFrameSamples];
    Decode(frame, out);
    for (int i = 0; i < kFrameSamples; ++i) pcm[i] = SaturateToPcm(out[i]);
}

void Decoder::Decode(const std::uint8_t* frame, float* out) {
    float speech[kFrameSamples];
    SubframeFilters filters;
    const FrameKind kind = KindOfHeader(frame[0]);
    if (kind == FrameKind::SilenceRun || kind == FrameKind::ComfortNoise) {
        FrameParams params;
        const bool described = kind == FrameKind::ComfortNoise;
        if (described) params = UnpackFrame(frame);
        m_synth.Noise(described ? &params : nullptr, speech, filters);
        m_postfilter.PassThrough(speech, out, kFrameSamples);
        return;
    }
    const CodecLayout& layout = LayoutOf(kind);
    const FrameParams params = UnpackFrame(frame);
    m_synth.DecodeFilters(layout, params.lsf, filters);
    int lag3 = kMinLag3;
    for (int s = 0; s < layout.subframes; ++s) {
        lag3 = SpeechSynthesizer::SubframeLag(layout, s, params.subframes[s].lagCode, lag3);
        float* sub = speech + s * layout.subframeLength;
        m_synth.Subframe(layout, filters[s], lag3, params.subframes[s], sub);
        if (m_postfilterOn)
            m_postfilter.Process(filters[s], sub, out + s * layout.subframeLength,
                                 layout.subframeLength);
        else
            m_postfilter.PassThrough(sub, out + s * layout.subframeLength, layout.subframeLength);
    }
}

template <typename Sample>
static std::vector<Sample> DecodeStreamAs(const std::uint8_t* bytes, std::size_t size,
                                          bool postfilter) {
    Decoder decoder(postfilter);
    std::vector<Sample> out;
    std::uint8_t frame[kMaxFrameBytes] = {};
    Sample pcm[kFrameSamples];
    std::size_t pos = 0;
    while (pos < size) {
        const int length = FrameBytesOfHeader(bytes[pos]);
        if (size - pos < static_cast<std::size_t>(length)) break;
        if (KindOfHeader(bytes[pos]) == FrameKind::SilenceRun) {
            const int repeats = SilenceRunLength(bytes[pos], bytes[pos + 1]);
            frame[0] = kSilenceHeader;
            frame[1] = 0x00;
            for (int r = 0; r < repeats; ++r) {
                decoder.Decode(frame, pcm);
                out.insert(out.end(), pcm, pcm + kFrameSamples);
            }
        } else {
            std::copy(bytes + pos, bytes + pos + length, frame);
            decoder.Decode(frame, pcm);
            out.insert(out.end(), pcm, pcm + kFrameSamples);
        }
        pos += static_cast<std::size_t>(length);
    }
    return out;
}

std::vector<std::int16_t> DecodeStream(const std::uint8_t* bytes, std::size_t size,
                                       bool postfilter) {
    return DecodeStreamAs<std::int16_t>(bytes, size, postfilter);
}

std::vector<float> DecodeStreamFloat(const std::uint8_t* bytes, std::size_t size, bool postfilter) {
    return DecodeStreamAs<float>(bytes, size, postfilter);
}

}  // namespace vocodec
