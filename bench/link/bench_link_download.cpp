// Download throughput through the emulator at full speed, and the program's own cost per
// 528-byte block beside the 137.5 ms the block takes on the real line.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench/link/bench_owner.h"
#include "bench/link/cpu_seconds.h"
#include "bench/link/emulator_process.h"
#include "core/link/recorder_link.h"

namespace {

constexpr int kBlocks = 4000;  // about 2 MB, nine minutes of line time
constexpr int kRuns = 3;
constexpr double kLineMsPerBlock = 528.0 * 1000.0 / 3840.0;  // 137.5 ms at 38400 baud

}  // namespace

int main() {
    EmulatorProcess recorder({1, 0, 0, 0, 0}, kBlocks);
    if (recorder.Device().empty()) {
        std::fprintf(stderr, "bench_link_download: the emulator did not start\n");
        return 1;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "sonoret-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    BenchOwner owner;
    RecorderLink link;
    if (!link.Initialise(recorder.Device())) {
        std::fprintf(stderr, "bench_link_download: the port could not be opened\n");
        return 1;
    }

    double bestWall = 1e9, bestCpu = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        link.StartDownload(0, 1, owner.Request(folder + "/"));
        if (!owner.WaitForDownload()) {
            std::fprintf(stderr, "bench_link_download: the download failed\n");
            return 1;
        }
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bestWall = std::min(bestWall, wall);
        bestCpu = std::min(bestCpu, CpuSeconds() - cpuStart);
    }
    link.StopDownload();
    std::filesystem::remove_all(folder);

    const double bytes = 528.0 * kBlocks;
    const double wallMsPerBlock = bestWall * 1000.0 / kBlocks;
    const double cpuMsPerBlock = bestCpu * 1000.0 / kBlocks;
    std::printf("download of %d blocks (%.0f bytes), best of %d, emulator unpaced:\n", kBlocks,
                bytes, kRuns);
    std::printf("  throughput               %12.0f bytes/s (the real line: 3840 bytes/s)\n",
                bytes / bestWall);
    std::printf("  wall time per block      %12.4f ms  (%.4f %% of the %.1f ms line time)\n",
                wallMsPerBlock, 100.0 * wallMsPerBlock / kLineMsPerBlock, kLineMsPerBlock);
    std::printf("  program CPU per block    %12.4f ms  (%.4f %% of the line time; goal < 1 %%)\n",
                cpuMsPerBlock, 100.0 * cpuMsPerBlock / kLineMsPerBlock);
    return 0;
}
