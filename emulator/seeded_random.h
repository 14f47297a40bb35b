#pragma once
#include <cstdint>

namespace emu {

// A small generator whose sequence depends on the seed alone (not on the standard library's
// distributions), so demo content and line noise come out the same on every platform.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1; n must be positive.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    // lo .. hi inclusive.
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    // [0, 1)
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 56); }

private:
    std::uint64_t m_state;
};

}  // namespace emu
