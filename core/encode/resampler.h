#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Mono 16-bit audio from one sample rate to another, as a stream: the recorder's 7200 samples
// a second for the formats that cannot hold that rate. A band-limited resampler (soxr), not
// sample dropping or doubling, so no aliasing is added to the voice.
class Resampler {
public:
    Resampler(int fromRate, int toRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // False when it could not be set up or a step failed; Error() tells why.
    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    // Appends to out what count samples of input give (some of them come only with later
    // input or at Finish).
    bool Process(const std::int16_t* input, std::size_t count, std::vector<std::int16_t>& out);
    // Appends the rest, once the input has ended.
    bool Finish(std::vector<std::int16_t>& out);

private:
    bool Run(const std::int16_t* input, std::size_t count, std::vector<std::int16_t>& out);

    void* m_soxr = nullptr;
    double m_ratio;
    std::string m_error;
};
