#pragma once

#include "generator/ByteBuffer.h"
#include "platform/os/CString.h"

#include <cstdint>

// Why a batch run wrote no file (or that it did).
enum class BatchStatus {
    Written,       // every password was written
    EmptyAlphabet, // no character class chosen, or only an empty special-symbol set
    TooLarge,      // a password cannot be held in memory, or the file has no room for the run
    RandomFailed,  // the OS random source did not supply its bytes
    WriteFailed,   // the file could not be created or written; nothing is left of it
};

struct BatchResult {
    BatchStatus status = BatchStatus::Written;
    int error = 0;           // errno or file refusal of a failed write; ENOSPC when out of room
    std::uint64_t bytes = 0; // the size of the run's output, when known
    // The file had to be written in its place, so the whole output was to be held in memory.
    bool inPlace = false;
    // Whole passwords that reached a device or pipe before the run failed.
    std::uint64_t passwordsOut = 0;
    // A write in place failed: the file was left empty rather than partly written.
    bool leftEmpty = false;
};

// The one process-wide record of what the user asked for: how many passwords, how long, which
// character classes and special symbols, and the saved window geometry.
class GeneratorSettings {
public:
    GeneratorSettings() = default;
    GeneratorSettings(const GeneratorSettings&) = default;
    GeneratorSettings& operator=(const GeneratorSettings&) = default;
    virtual ~GeneratorSettings();

    // The record, created with its defaults on first use and destroyed at process exit.
    static GeneratorSettings& Instance();

    void SetDefaults();
    CString BuildAlphabet() const;

    // Writes the passwords of the current record into the file at path, replacing it. Nothing is
    // created or changed unless every password could be made from the OS's random bytes.
    BatchResult GenerateToFile(const char* path) const;

    // Reads "gen.cfg"-form settings from path. A missing or malformed file leaves the record
    // exactly as it was.
    void Load(const char* path);
    // Writes the record to path in "gen.cfg" form; false when it could not be written whole.
    bool Save(const char* path) const;

    static constexpr const char* kDefaultSpecial = "_-+/*=!@$%^&()~";
    // Batch output reaches the file in writes of about this size.
    static constexpr std::size_t kWriteChunkBytes = std::size_t(1) << 18;

    std::int32_t m_nQuantity = 0;
    std::int32_t m_nLength = 0;
    std::int32_t m_bUpper = 0;
    std::int32_t m_bLower = 0;
    std::int32_t m_bDigits = 0;
    ByteBuffer m_geometry;
    std::int32_t m_bSpecial = 0;
    ByteBuffer m_special;
};
