#pragma once

#include "platform/RandomProvider.h"

#include <cstdint>
#include <memory>

// A complete random generator built on the C library's rand. Every wider draw is built from the
// one-byte draw Next8 through virtual calls, so a class that overrides Next8 changes every draw.
class RandomSource {
public:
    RandomSource() = default;
    virtual ~RandomSource();

    virtual void SeedWithText(const char* text);
    virtual void SeedWithValue(std::int32_t value);
    virtual void SeedWithTime();
    virtual std::uint32_t Next32();
    virtual std::uint16_t Next16();
    virtual std::uint8_t Next8();
    virtual double NextInRange(double low, double high);
    virtual double NextUpTo(double limit);
    virtual double NextUnit();
    virtual std::int32_t NextIndex(std::uint32_t count);

    // Number of SeedWithTime calls so far in this process.
    static std::int32_t s_nSeedCalls;
};

// Draws its bytes from the operating system's cryptographic generator, 65,536 at a time; only
// the byte draw differs from RandomSource. A fill that fails leaves the source failed for good:
// its bytes are then zeros and must not be used, which Failed() tells.
class CryptoRandomSource : public RandomSource {
public:
    static constexpr std::int32_t kBufferSize = 65536;

    CryptoRandomSource();
    ~CryptoRandomSource() override;
    CryptoRandomSource(const CryptoRandomSource&) = delete;
    CryptoRandomSource& operator=(const CryptoRandomSource&) = delete;

    std::uint8_t Next8() override;

    // True once the provider could not be acquired or a fill failed.
    bool Failed() const { return m_bFailed; }

    // Draws count indices exactly as count calls of NextIndex(alphabetSize) would on this class,
    // consuming the same bytes in the same order, but without a virtual call per byte. Only
    // valid when the object's dynamic type is CryptoRandomSource itself (no draw overridden);
    // DrawsAreOwn() tells.
    void FillIndices(std::uint32_t alphabetSize, std::uint32_t* indices, std::size_t count);
    bool DrawsAreOwn() const;

private:
    void Refill();

    std::int32_t m_nPos = kBufferSize;
    std::unique_ptr<std::uint8_t[]> m_pBuffer;
    platform::RandomProvider m_hProv;
    bool m_bFailed = false;
};
