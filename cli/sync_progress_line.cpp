#include "cli/sync_progress_line.h"

#include <cmath>
#include <cstdio>

std::string ByteCount(std::uint64_t bytes) {
    char text[32];
    if (bytes >= 1000 * 1000) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    } else if (bytes >= 1000) {
        std::snprintf(text, sizeof text, "%.0f kB", static_cast<double>(bytes) / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    }
    return text;
}

std::string Duration(double seconds) {
    const long total = seconds > 0 ? std::lround(seconds) : 0;
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

std::string SyncProgressLine::Line(const SyncProgress& progress) {
    const int percent = progress.bytesTotal > 0
                            ? static_cast<int>(progress.bytesDone * 100 / progress.bytesTotal)
                            : (progress.total > 0 ? progress.done * 100 / progress.total : 0);
    char text[160];
    std::snprintf(text, sizeof text, "Sync [%3d%%] %d/%d messages, %s of %s, %s left", percent,
                  progress.done, progress.total, ByteCount(progress.bytesDone).c_str(),
                  ByteCount(progress.bytesTotal).c_str(), Duration(progress.secondsLeft).c_str());
    return text;
}

void SyncProgressLine::Show(const SyncProgress& progress) {
    if (!m_terminal) return;
    const std::string line = Line(progress);
    if (line == m_drawn) return;
    *m_terminal << "\r\033[K" << line << std::flush;
    m_drawn = line;
}

void SyncProgressLine::Clear() {
    if (!m_terminal || m_drawn.empty()) return;
    *m_terminal << "\r\033[K" << std::flush;
    m_drawn.clear();
}
