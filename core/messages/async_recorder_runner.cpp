#include "core/messages/async_recorder_runner.h"

#include <algorithm>
#include <functional>

AsyncRecorderRunner::~AsyncRecorderRunner() {
    GiveUp();
}

bool AsyncRecorderRunner::Run(std::function<Result()> work, const TaskPoster& post,
                              Completion complete) {
    if (m_job.Start(std::move(work), post, complete)) return true;
    if (complete) {
        auto refuse = [complete = std::move(complete)] {
            complete({Result::Category::Busy, "another exchange with the recorder is under way"});
        };
        if (post) {
            post(std::move(refuse));
        } else {
            refuse();
        }
    }
    return false;
}

bool AsyncRecorderRunner::EnsureBin(int folder, int message, std::string workingFolder,
                                    ProgressFactory progress, const TaskPoster& post,
                                    Completion complete) {
    return Run(
        [this, folder, message, workingFolder = std::move(workingFolder),
         progress = std::move(progress)] {
            return m_files.EnsureBin(folder, message, workingFolder, progress);
        },
        post, std::move(complete));
}

bool AsyncRecorderRunner::EnsureWav(int folder, int message, std::string workingFolder,
                                    ProgressFactory progress, const TaskPoster& post,
                                    Completion complete) {
    return Run(
        [this, folder, message, workingFolder = std::move(workingFolder),
         progress = std::move(progress)]() -> Result {
            return m_files.EnsureWav(folder, message, workingFolder, progress);
        },
        post, std::move(complete));
}

bool AsyncRecorderRunner::Connect(ProgressFactory progress, const TaskPoster& post,
                                  Completion complete) {
    return Run([this, progress = std::move(progress)] { return m_link.Connect(progress); }, post,
               std::move(complete));
}

bool AsyncRecorderRunner::SetTime(int hour, int minute, const TaskPoster& post,
                                  Completion complete) {
    return Run([this, hour, minute] { return m_link.SetTime(hour, minute); }, post,
               std::move(complete));
}

bool AsyncRecorderRunner::SetDate(int year, int month, int day, const TaskPoster& post,
                                  Completion complete) {
    return Run([this, year, month, day] { return m_link.SetDate(year, month, day); }, post,
               std::move(complete));
}

bool AsyncRecorderRunner::Delete(int folder, int message, std::string workingFolder,
                                 const TaskPoster& post, Completion complete) {
    return Delete({{folder, message}}, std::move(workingFolder), post, std::move(complete));
}

bool AsyncRecorderRunner::Delete(std::vector<std::pair<int, int>> messages,
                                 std::string workingFolder, const TaskPoster& post,
                                 Completion complete) {
    std::sort(messages.begin(), messages.end(), std::greater<>());
    messages.erase(std::unique(messages.begin(), messages.end()), messages.end());
    return Run(
        [this, messages = std::move(messages), workingFolder = std::move(workingFolder)] {
            Result first;
            for (const auto& [folder, message] : messages) {
                if (Result deleted = m_link.DeleteMessage(folder, message); !deleted) {
                    return deleted;
                }
                // A copy that could not be renumbered is no longer claimed by any entry: the
                // directory followed, and the others can go on.
                if (Result removed = m_link.RemoveEntry(folder, message, workingFolder);
                    !removed && first) {
                    first = removed;
                }
            }
            return first;
        },
        post, std::move(complete));
}

void AsyncRecorderRunner::GiveUp() {
    // The cancel is repeated until the work has ended: an operation that had not yet begun
    // listening for it when the first came (it forgets cancels left over from before it
    // started) must not hold the close for its whole length.
    m_job.GiveUp([this] { m_link.Cancel(); });
}
