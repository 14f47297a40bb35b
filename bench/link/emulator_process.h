#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "core/convert/frame_table.h"
#include "emulator/recorder_emulator.h"

// The recorder emulator in a child process of its own, so the benchmark's CPU time is the
// program's alone. Forked before the benchmark starts any thread.
class EmulatorProcess {
public:
    // counts: messages per folder; blocks: the size of every message. With a voice, each
    // message is that voice's coded speech over and over; else the emulator's arbitrary bytes.
    // Paced, it sends at the real line rate.
    EmulatorProcess(std::array<int, 5> counts, int blocks, emu::VoiceSource voice = {},
                    bool paced = false) {
        int toParent[2];
        int toChild[2];
        if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(toParent[0]);
            ::close(toChild[1]);
            Serve(counts, blocks, voice, paced, toParent[1], toChild[0]);
            ::_exit(0);
        }
        ::close(toParent[1]);
        ::close(toChild[0]);
        m_stop = toChild[1];
        char path[256] = {};
        ssize_t got = 0;
        while (got < static_cast<ssize_t>(sizeof path) - 1) {
            const ssize_t n = ::read(toParent[0], path + got, 1);
            if (n <= 0 || path[got] == '\n') break;
            ++got;
        }
        path[got] = 0;
        m_device = path;
        ::close(toParent[0]);
    }
    ~EmulatorProcess() {
        if (m_pid <= 0) return;
        ::close(m_stop);  // the child sees end of file and stops
        ::waitpid(m_pid, nullptr, 0);
    }

    const std::string& Device() const { return m_device; }

private:
    // The coded frames of a message without the filler that pads its last block.
    static std::vector<std::uint8_t> Frames(const std::vector<std::uint8_t>& data) {
        std::size_t end = 0;
        while (end + 1 < data.size() && !(data[end] == 0xFF && data[end + 1] == 0xFF)) {
            end += static_cast<std::size_t>(FrameLength(data[end]));
        }
        return std::vector<std::uint8_t>(
            data.begin(), data.begin() + static_cast<long>(std::min(end, data.size())));
    }

    static void Serve(std::array<int, 5> counts, int blocks, const emu::VoiceSource& voice,
                      bool paced, int reply, int stop) {
        emu::Options options;
        options.counts = counts;
        options.paced = paced;
        emu::RecorderEmulator emulator(options);
        if (!emulator.Start()) return;
        const std::size_t size = static_cast<std::size_t>(blocks) * emu::kBlockSize;
        emulator.WithModel([&](emu::RecorderModel& model) {
            int index = 0;
            for (auto& folder : model.folders) {
                for (auto& message : folder) {
                    if (voice) {
                        const std::vector<std::uint8_t> frames =
                            Frames(voice(message.quality, index++));
                        message.data.clear();
                        while (!frames.empty() && message.data.size() < size) {
                            message.data.insert(message.data.end(), frames.begin(), frames.end());
                        }
                    }
                    message.data.resize(size, 0xFF);
                }
            }
        });
        const std::string line = emulator.DevicePath() + "\n";
        if (::write(reply, line.data(), line.size()) < 0) return;
        char byte;
        while (::read(stop, &byte, 1) > 0) {
        }
    }

    pid_t m_pid = -1;
    int m_stop = -1;
    std::string m_device;
};
