#include "core/encode/resampler.h"

#include <soxr.h>

Resampler::Resampler(int fromRate, int toRate) : m_ratio(static_cast<double>(toRate) / fromRate) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // One thread: the sync runs beside the line's own work, and a voice at 8 kHz is little.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    m_soxr = soxr_create(fromRate, toRate, 1, &error, &io, &quality, &runtime);
    if (error) {
        m_error = std::string("the resampler cannot be set up: ") + error;
        m_soxr = nullptr;
    }
}

Resampler::~Resampler() {
    if (m_soxr) soxr_delete(static_cast<soxr_t>(m_soxr));
}

bool Resampler::Process(const std::int16_t* input, std::size_t count,
                        std::vector<std::int16_t>& out) {
    if (count == 0) return Ok();
    return Run(input, count, out);
}

bool Resampler::Finish(std::vector<std::int16_t>& out) {
    return Run(nullptr, 0, out);
}

bool Resampler::Run(const std::int16_t* input, std::size_t count, std::vector<std::int16_t>& out) {
    if (!m_soxr) return false;
    // A null input tells soxr that the stream has ended: it then gives out what it holds.
    std::size_t offered = 0;
    for (;;) {
        const std::size_t room = static_cast<std::size_t>(count * m_ratio) + 256;
        const std::size_t start = out.size();
        out.resize(start + room);
        std::size_t used = 0, made = 0;
        const soxr_error_t error =
            soxr_process(static_cast<soxr_t>(m_soxr), input ? input + offered : nullptr,
                         count - offered, &used, out.data() + start, room, &made);
        out.resize(start + made);
        if (error) {
            m_error = std::string("resampling failed: ") + error;
            return false;
        }
        offered += used;
        // Input: done once all of it was taken. End: done once nothing more comes.
        if (input ? offered >= count && made < room : made == 0) return true;
    }
}
