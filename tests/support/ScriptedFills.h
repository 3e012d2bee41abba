#pragma once

// Random fills scripted through the provider's test seam, and the count of this process's threads.

#include "platform/os/RandomProvider.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <thread>

namespace testing_support {

// While it lives, answers every fill byte by byte from a function of the fill's number (1 for the
// first); the fills from failAt on (none when 0) fill all the same but report failure. Counts the
// fills and notes whether any came on another thread.
class ScriptedFills {
public:
    using Byte = std::function<std::uint8_t(int fill)>;

    explicit ScriptedFills(Byte byte, int failAt = 0) {
        platform::SetRandomFillForTesting(
            [this, byte, failAt](unsigned char* buffer, std::size_t size) mutable {
                const int fill = ++m_nFills;
                if (std::this_thread::get_id() != m_owner)
                    m_bElsewhere = true;
                for (std::size_t i = 0; i < size; ++i)
                    buffer[i] = byte(fill);
                return failAt == 0 || fill < failAt;
            });
    }
    ~ScriptedFills() { platform::SetRandomFillForTesting({}); }
    ScriptedFills(const ScriptedFills&) = delete;
    ScriptedFills& operator=(const ScriptedFills&) = delete;

    int Fills() const { return m_nFills; }
    bool FetchedElsewhere() const { return m_bElsewhere; }

private:
    std::atomic<int> m_nFills{0};
    std::atomic<bool> m_bElsewhere{false};
    const std::thread::id m_owner = std::this_thread::get_id();
};

// The bytes of a generator seeded with seed, one after the other across the fills.
inline ScriptedFills::Byte SeededBytes(std::uint32_t seed) {
    return [engine = std::mt19937(seed)](int) mutable { return std::uint8_t(engine()); };
}

// Every byte of fill j one whose four-byte draws give index j - 1 of 62, so that each character
// of "A-Za-z0-9" tells the fill it was drawn from (up to fill 62).
inline std::uint8_t NumberedFill(int fill) {
    return std::uint8_t((fill - 1) * 256 / 62 + 1);
}

// The threads of this process, once a runtime that starts a helper with the first thread has.
inline long ThreadCount() {
    std::thread([] {}).join();
    return long(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

} // namespace testing_support
