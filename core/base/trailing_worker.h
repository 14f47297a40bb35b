#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A second thread for work that trails the caller's by one step: the caller starts a job, goes
// on with its own next step meanwhile, and waits for the job before it starts the next one. At
// most one job is under way, so what the jobs hold stays bounded. The thread starts with the
// first job and is joined when the object goes.
//
// Every call belongs to the one thread that owns the object. What a job wrote is the owner's
// to read once Done() has said so or Wait() has returned.
class TrailingWorker {
public:
    TrailingWorker() = default;
    ~TrailingWorker();  // waits for the job under way
    TrailingWorker(const TrailingWorker&) = delete;
    TrailingWorker& operator=(const TrailingWorker&) = delete;

    // Starts job on the worker's thread; on the caller's, at once, when no thread can be had.
    // An earlier job must have been waited for (or seen Done) first.
    void Start(std::function<void()> job);
    // The job started last has returned (true as well when none was started).
    bool Done();
    // Until the job started last has returned.
    void Wait();

private:
    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_job;  // handed over, not yet taken by the thread
    bool m_busy = false;          // a job started and not yet returned
    bool m_quit = false;
    std::thread m_thread;
};
