#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Where the conversion reads its frames from and writes its audio to: files in the program,
// memory in the fuzz target and the benchmark, failing writers in the tests.

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes; fewer only at the end of the data or on a failure (Error() then
    // says which).
    virtual std::size_t Read(std::uint8_t* data, std::size_t size) = 0;
    // Empty while nothing went wrong.
    virtual std::string Error() const = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // All of it or false; after a false the sink is unusable and Error() says why.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
    virtual std::string Error() const = 0;
};

// A source over bytes in memory (not copied: they must outlive the source).
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t Read(std::uint8_t* data, std::size_t size) override;
    std::string Error() const override { return {}; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Counts what it is given and keeps nothing.
class CountingSink final : public ByteSink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override {
        m_count += size;
        return true;
    }
    std::string Error() const override { return {}; }
    std::uint64_t Count() const { return m_count; }

private:
    std::uint64_t m_count = 0;
};
