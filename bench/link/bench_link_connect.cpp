// Connect time beyond the 200 ms pause before every header reply: the program's own share.

#include <chrono>
#include <cstdio>

#include "bench/link/cpu_seconds.h"
#include "bench/link/emulator_process.h"
#include "core/link/recorder_link.h"

namespace {

constexpr std::array<int, 5> kCounts{10, 5, 0, 5, 10};
constexpr int kHeaders = 30;
// One header exchange on the real line: the 4-byte request, the 4-byte status and the 32-byte
// header at 3840 bytes a second, after the 200 ms pause.
constexpr double kLineMsPerHeader = 40.0 * 1000.0 / 3840.0;
constexpr double kPauseMs = RecorderProtocol::kCommandPauseMs;

}  // namespace

int main() {
    EmulatorProcess recorder(kCounts, 1);
    if (recorder.Device().empty()) {
        std::fprintf(stderr, "bench_link_connect: the emulator did not start\n");
        return 1;
    }
    RecorderLink link;
    if (!link.Initialise(recorder.Device())) {
        std::fprintf(stderr, "bench_link_connect: the port could not be opened\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    if (!link.Connect({}) || link.Directory().Total() != kHeaders) {
        std::fprintf(stderr, "bench_link_connect: the connect failed\n");
        return 1;
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = (CpuSeconds() - cpuStart) * 1000.0;

    const double beyondMs = wallMs - kHeaders * kPauseMs;
    const double perHeaderMs = beyondMs / kHeaders;
    const double mandatedMs = kPauseMs + kLineMsPerHeader;
    std::printf("connect with %d headers, emulator unpaced:\n", kHeaders);
    std::printf("  total                    %10.1f ms (pauses alone %.0f ms)\n", wallMs,
                kHeaders * kPauseMs);
    std::printf("  beyond the pauses        %10.3f ms per header (mode and directory included)\n",
                perHeaderMs);
    std::printf("                           %10.3f %% of the %.1f ms a header takes on the line\n",
                100.0 * perHeaderMs / mandatedMs, mandatedMs);
    std::printf("  program CPU per header   %10.4f ms (%.4f %%; goal < 1 %%)\n", cpuMs / kHeaders,
                100.0 * cpuMs / kHeaders / mandatedMs);
    return 0;
}
