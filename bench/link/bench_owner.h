#pragma once
#include <optional>
#include <string>

#include "core/base/posted_tasks.h"
#include "core/link/recorder_link.h"

// The least a caller of the link can be: no progress display (the link's quiet one stands in),
// and the benchmark's thread as the owner's thread, running the posted completion as an event
// loop would.
class BenchOwner {
public:
    RecorderLink::DownloadRequest Request(const std::string& workingFolder) {
        return {workingFolder,
                {},
                [this](std::function<void()> task) { m_tasks.Post(task); },
                [this](const Result& result) { m_end = result; }};
    }

    // Runs posted tasks until the download's end has come; true when it was whole.
    bool WaitForDownload() {
        m_end.reset();
        m_tasks.RunUntil([this] { return m_end.has_value(); });
        return m_end->IsOk();
    }

private:
    PostedTasks m_tasks;
    std::optional<Result> m_end;
};
