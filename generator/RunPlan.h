#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

class Alphabet;

// How a run of passwords ended, or why it was refused before any work.
enum class RunStatus {
    Done,          // every password was made (and, in batch mode, written)
    Cancelled,     // stopped by the user; the passwords made until then were handed over
    EmptyAlphabet, // no character class chosen, or only an empty special-symbol set
    TooLarge,      // the output cannot be held in memory or where it goes, or the file has no room
    RandomFailed,  // the OS random source did not supply its bytes
    WriteFailed,   // the file could not be created or written; nothing is left of it
};

// The outcome of a run, with what batch mode reports about a failure.
struct RunOutcome {
    RunStatus status = RunStatus::Done;
    int error = 0;           // errno or file refusal of a failed write; ENOSPC when out of room
    std::uint64_t bytes = 0; // the size of the run's output, when known
    // The file had to be written in its place, so the whole output was to be held in memory.
    bool inPlace = false;
    // Whole passwords that reached a device or pipe before the run failed.
    std::uint64_t passwordsOut = 0;
    // A write in place failed: the file was left empty rather than partly written.
    bool leftEmpty = false;
};

// One run of passwords, planned before any work: quantity lines of length characters from an
// alphabet, each line ended by "\r\n". It tells the bytes of the run's output and refuses a run
// that cannot be made: one with nothing to draw from, one whose size cannot be counted, and one
// whose output cannot be held where it is to be held.
class RunPlan {
public:
    static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

    RunPlan(std::int32_t quantity, std::int32_t length, const Alphabet& alphabet);

    // Done when the run can be made, without holding its whole output; otherwise EmptyAlphabet,
    // or TooLarge when its size cannot be counted.
    const RunOutcome& Outcome() const { return m_outcome; }
    // As Outcome, for a run that holds its whole output at once: it is also TooLarge when
    // BufferBytes() do not fit in memory or exceed limit, the most that the output's holder
    // takes.
    RunOutcome HoldingWhole(std::size_t limit = kNoLimit) const;

    std::int32_t Quantity() const { return m_nQuantity; }
    std::int32_t Length() const { return m_nLength; }
    // Each of these is 0 unless Outcome() is Done. Where the alphabet has characters of several
    // bytes they count every character at the widest one's size: the most the run can take.
    //
    // One password with its "\r\n".
    std::size_t LineBytes() const { return m_nLineBytes; }
    // The whole output with a closing zero byte after it.
    std::size_t BufferBytes() const { return m_nBufferBytes; }
    // The whole output: every password with its "\r\n".
    std::uint64_t OutputBytes() const { return m_nBufferBytes == 0 ? 0 : m_nBufferBytes - 1; }

    // The bytes of quantity lines of length characters, each at most maxCharBytes wide, with
    // their "\r\n", and a closing zero byte; nothing when that cannot be counted in a size_t.
    static std::optional<std::size_t> CountBufferBytes(std::int64_t quantity, std::int64_t length,
                                                       std::size_t maxCharBytes);
    // True when this many bytes can be held in memory at once: no more than the machine's
    // physical memory (asking for more only ends in the process being killed) nor an object's
    // limit.
    static bool FitsInMemory(std::size_t bytes);

private:
    std::int32_t m_nQuantity;
    std::int32_t m_nLength;
    std::size_t m_nLineBytes = 0;
    std::size_t m_nBufferBytes = 0;
    RunOutcome m_outcome;
};
