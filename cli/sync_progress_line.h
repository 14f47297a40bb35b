#pragma once
#include <ostream>
#include <string>

#include "core/base/number_text.h"
#include "core/sync/sync_run.h"

// The sync's one line of progress on a terminal: messages done of all, bytes, time left.
// Redrawn in place on standard error; nothing where that is no terminal.
class SyncProgressLine {
public:
    explicit SyncProgressLine(std::ostream* terminal) : m_terminal(terminal) {}
    ~SyncProgressLine() { Clear(); }

    void Show(const SyncProgress& progress);
    // Takes the line away, so that a result printed next starts on a clean line.
    void Clear();

    // "Sync [ 25%] 3/12 messages, 1.2/4.8 MB, 0:42 left"
    static std::string Line(const SyncProgress& progress);

private:
    std::ostream* m_terminal;
    std::string m_drawn;
};
