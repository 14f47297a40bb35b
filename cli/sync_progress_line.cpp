#include "cli/sync_progress_line.h"

#include <cstdio>

#include "core/base/number_text.h"

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
