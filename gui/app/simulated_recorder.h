#pragma once
#include <memory>
#include <string>

// The built-in recorder emulator as the window program's --simulate runs it: a recorder with a
// few messages in its folders behind a pseudo-terminal, paced like the real line.
class SimulatedRecorder {
public:
    explicit SimulatedRecorder(int modeVariant);
    ~SimulatedRecorder();
    SimulatedRecorder(const SimulatedRecorder&) = delete;
    SimulatedRecorder& operator=(const SimulatedRecorder&) = delete;

    // Starts serving; false with *error set when it cannot.
    bool Start(std::string* error);
    // The device the program opens.
    std::string DevicePath() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
