#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "recorder/link_owner.h"

// The least an owner can be: no progress display (the link's quiet one stands in), tasks
// run by the benchmark's thread as an event loop would.
class BenchOwner : public LinkOwner {
public:
    BenchOwner(std::string device, std::string folder)
        : m_device(std::move(device)), m_folder(std::move(folder)) {}

    std::unique_ptr<ProgressDisplay> CreateProgress(const std::string&) override { return nullptr; }
    void RunOnOwnerThread(std::function<void()> task) override {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_posted.notify_all();
    }
    void OnDownloadComplete(int complete) override { m_complete = complete; }
    void ShowMessage(const std::string&) override {}
    std::string WorkingFolder() const override { return m_folder; }
    std::string DeviceForPort(int) const override { return m_device; }

    int WaitForDownload() {
        m_complete = -1;
        while (m_complete < 0) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_posted.wait(lock, [&] { return !m_tasks.empty(); });
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
        return m_complete;
    }

private:
    std::string m_device;
    std::string m_folder;
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
    int m_complete = -1;
};
