#pragma once
#include <functional>
#include <string>

#include "core/base/posted_tasks.h"
#include "core/link/link_owner.h"

// The least an owner can be: no progress display (the link's quiet one stands in), tasks
// run by the benchmark's thread as an event loop would.
class BenchOwner : public LinkOwner {
public:
    BenchOwner(std::string device, std::string folder)
        : m_device(std::move(device)), m_folder(std::move(folder)) {}

    std::unique_ptr<ProgressDisplay> CreateProgress(const std::string&) override { return nullptr; }
    void RunOnOwnerThread(std::function<void()> task) override { m_tasks.Post(std::move(task)); }
    void OnDownloadComplete(int complete) override { m_complete = complete; }
    void ShowMessage(const std::string&) override {}
    std::string WorkingFolder() const override { return m_folder; }
    std::string DeviceForPort(int) const override { return m_device; }

    int WaitForDownload() {
        m_complete = -1;
        m_tasks.RunUntil([this] { return m_complete >= 0; });
        return m_complete;
    }

private:
    std::string m_device;
    std::string m_folder;
    PostedTasks m_tasks;
    int m_complete = -1;
};
