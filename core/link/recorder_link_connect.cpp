// The connect sequence and the renumbering after a delete.
#include <filesystem>
#include <system_error>

#include "core/link/exchange_guard.h"
#include "core/link/quiet_progress.h"
#include "core/link/recorder_link.h"
#include "core/res/strings.h"

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Moves a file to a name that must be free: renumbering never overwrites another copy.
bool MoveToFreeName(const std::string& from, const std::string& to) {
    if (Exists(to)) return false;
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

}  // namespace

int RecorderLink::Connect() {
    ExchangeGuard guard(m_busy);
    if (!guard) return 0;
    m_bCancelled = 0;
    m_cancelRequested.store(false);
    m_serial.ClearInterrupt();

    for (int attempt = 1;; ++attempt) {
        if (!DoReadDirectory()) return 0;
        if (m_directory.marker == kDirectoryValidMarker) break;
        if (attempt == kDirectoryAttempts) return 0;
    }

    const int total = m_directory.Total();
    m_directory.ClearFlags();

    auto progress = CreateProgressOrQuiet(m_pOwner, text::kConnectCaption);
    progress->SetCancelHook([this] {
        m_cancelRequested.store(true);
        m_serial.Interrupt();
    });
    progress->SetRange(0, total, 1);
    progress->SetText(text::kConnectText);
    auto cancelled = [&] { return progress->CancelPressed() || m_cancelRequested.load(); };

    for (int folder = 0; folder < kFolderCount; ++folder) {
        for (int message = 1; message <= m_directory.count[folder]; ++message) {
            if (!DoFetchHeader(folder, message)) {
                // A cancel that woke the wait for the reply is still a cancel, not a failure.
                if (cancelled()) m_bCancelled = 1;
                return 0;
            }
            m_directory.Entry(folder, message).loaded = 1;
            progress->StepIt();
            progress->PeekAndPump(true);
            if (cancelled()) {
                m_bCancelled = 1;
                return 0;
            }
        }
    }
    progress->Hide();
    return 1;
}

void RecorderLink::RemoveEntry(int folder, int message) {
    if (folder < 0 || folder >= kFolderCount) return;
    const int count = m_directory.count[folder];
    if (message < 1 || message > count) return;

    // The deleted message's copies go whether or not this connect fetched them: copies left
    // by an earlier connect would otherwise sit where the next message's copies move to.
    for (const char* extension : {".Bin", ".wav"}) {
        std::error_code ec;
        fs::remove(MessagePath(folder, message, extension), ec);
    }

    // Each later message moves down one number, and its copies with it (also copies from an
    // earlier connect that no flag tracks). After the first move that fails nothing else is
    // moved, and no entry claims a copy that is not under its own number.
    bool filesInStep = true;
    for (int k = message + 1; k <= count; ++k) {
        const MessageEntry from = m_directory.Entry(folder, k);
        MessageEntry& to = m_directory.Entry(folder, k - 1);
        to = from;
        bool moved[2] = {false, false};
        const char* extensions[2] = {".Bin", ".wav"};
        for (int i = 0; i < 2 && filesInStep; ++i) {
            const std::string source = MessagePath(folder, k, extensions[i]);
            if (!Exists(source)) continue;
            moved[i] = MoveToFreeName(source, MessagePath(folder, k - 1, extensions[i]));
            if (!moved[i]) filesInStep = false;
        }
        to.downloaded = from.downloaded && moved[0] ? 1 : 0;
        to.converted = from.converted && moved[1] ? 1 : 0;
    }

    MessageEntry& vacant = m_directory.Entry(folder, count);
    vacant.loaded = vacant.downloaded = vacant.converted = 0;
    m_directory.count[folder] = static_cast<std::uint8_t>(count - 1);
}
