#pragma once

#include "generator/ByteBuffer.h"
#include "generator/RunPlan.h"
#include "platform/os/CString.h"

#include <cstdint>

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
    RunOutcome GenerateToFile(const char* path) const;

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
