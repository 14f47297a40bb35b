#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "core/base/result.h"

// Runs a task on the owner's thread (the user-interface thread, or whatever thread serves as
// the event loop of an owner without a window system), later, in order. An owner without a
// thread of its own may run the task at once on the calling thread.
using TaskPoster = std::function<void(std::function<void()> task)>;

// One piece of work on a thread of its own, and the hand-over of its end to the owner: when
// the work returns, its completion is posted to the owner's thread and runs there while the
// worker waits for it, so the owner sees the end whole and in order with its own events. The
// owner may give the job up (at close, at a change of port); its completion then never runs,
// also when it was already posted, and nothing the job holds outlives the owner's objects.
//
// Every call belongs to the owner's thread.
class BackgroundJob {
public:
    using Work = std::function<Result()>;
    using Completion = std::function<void(const Result&)>;

    BackgroundJob() = default;
    ~BackgroundJob();  // gives the job up
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts work on a new thread; complete(its result) then runs through post. False (and
    // nothing runs) while an earlier job has not ended, or when no thread could be started.
    // May be called from within an earlier job's completion.
    bool Start(Work work, TaskPoster post, Completion complete);

    // The completion will never run from now on; waits for the worker to end. stop, when
    // given, is what makes the work end soon (a cancel): it is called at once and again every
    // few milliseconds until the work has returned, so that a work which had not yet reached
    // the point where it listens still ends. The work's result when the work had ended
    // without its completion having run, for the owner to apply; nothing otherwise.
    std::optional<Result> GiveUp(const std::function<void()>& stop = {});

    // Started and its completion not yet run.
    bool Running() const;

private:
    struct Shared;  // between the owner, the worker and the posted completion

    // Joins the worker of a job whose completion has run, or lets it go when called from
    // within that very completion (the worker waits for it to return and then ends alone).
    void Reap();

    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
};
