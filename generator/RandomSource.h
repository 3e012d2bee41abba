#pragma once

#include "platform/os/RandomProvider.h"

#include <algorithm>
#include <cstddef>
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

    // 2^-32: scales a 32-bit draw onto [0, 1).
    static constexpr double kTwoToMinus32 = 2.3283064365386963e-10;

    // Number of SeedWithTime calls so far in this process.
    static std::int32_t s_nSeedCalls;
};

// Draws its bytes from the operating system's cryptographic generator, 65,536 at a time; only
// the byte draw differs from RandomSource. A fill that fails leaves the source failed for good:
// its bytes are then zeros and must not be used, which Failed() tells.
//
// By default each fill is fetched on the drawing thread when the buffer is used up. A long run
// can have the next fills fetched on a second thread while the current one is drawn
// (PrefetchFor): the fills are the same and are used in the order they were fetched, so the same
// bytes give the same draws.
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
    // Fetches the next fill now when the buffer is used up, so that a source that fails is known
    // before anything is made from it; false once the source has failed. The bytes drawn stay
    // the same.
    bool EnsureBytes();

    // The next bytes draws (a whole run's) get their fills fetched ahead: while one fill is
    // drawn, a second thread fetches the next ones, a few fills ahead, up to the fills those
    // draws take. A fill that fails ends the fetching; the source learns of it when it reaches
    // that fill, as it would have fetching it itself. Nothing changes when the draws need no more
    // than one further fill (there is nothing to overlap) or no thread can be started. Draws
    // beyond bytes are served as without prefetching.
    void PrefetchFor(std::uint64_t bytes);
    // Ends the fetching ahead, waiting for a fill in progress; the thread is gone on return. The
    // destructor does this too.
    void StopPrefetching();

    // Draws count indices exactly as count calls of NextIndex(alphabetSize) would on this class,
    // consuming the same bytes in the same order, but without a virtual call per byte. Only
    // valid when the object's dynamic type is CryptoRandomSource itself (no draw overridden);
    // DrawsAreOwn() tells. Unlike NextIndex it stops at a fill that fails, before any index is
    // drawn from it, and draws nothing once the source has failed; returns the indices drawn.
    std::size_t FillIndices(std::uint32_t alphabetSize, std::uint32_t* indices, std::size_t count);
    bool DrawsAreOwn() const;
    // The same draw as FillIndices, handing each index in order to step(state, index), which
    // returns the next state; returns the last state. The state travels by value so that it can
    // stay in a register. It stops early as FillIndices does; Failed() tells.
    template <class State, class Step>
    State DrawIndices(std::uint32_t alphabetSize, std::size_t count, State state, Step step);

    // The index of a 32-bit draw v scaled onto count, as NextIndex computes it:
    // trunc(v * 2^-32 * count) in double precision. Below 2^21 that equals the upper half of the
    // 64-bit product, which is cheaper to form.
    static std::uint32_t ScaleIndex(std::uint32_t v, std::uint32_t count) {
        if (count < kExactProductLimit)
            return std::uint32_t((std::uint64_t(v) * count) >> 32);
        return std::uint32_t(double(v) * kTwoToMinus32 * double(count));
    }
    static constexpr std::uint32_t kExactProductLimit = 1u << 21;

private:
    class Prefetcher;

    void Refill();

    std::int32_t m_nPos = kBufferSize;
    std::unique_ptr<std::uint8_t[]> m_pBuffer;
    platform::RandomProvider m_hProv;
    bool m_bFailed = false;
    std::unique_ptr<Prefetcher> m_pPrefetcher; // while fills are fetched ahead
};

template <class State, class Step>
State CryptoRandomSource::DrawIndices(std::uint32_t alphabetSize, std::size_t count, State state,
                                      Step step) {
    constexpr std::size_t kSize = std::size_t(kBufferSize);
    auto load = [](const std::uint8_t* p) {
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
               std::uint32_t(p[3]);
    };
    if (m_bFailed)
        return state;
    while (count > 0) {
        const std::size_t pos = std::size_t(m_nPos);
        if (pos + 4 > kSize) {
            // The four bytes straddle a refill, or the buffer is used up: take them one by one, as
            // Next8 would, but stop at a fill that failed before anything is drawn from it.
            std::uint32_t v = 0;
            for (int k = 0; k < 4; ++k) {
                if (m_nPos >= kBufferSize) {
                    Refill();
                    if (m_bFailed)
                        return state;
                }
                v = v << 8 | m_pBuffer[std::size_t(m_nPos++)];
            }
            state = step(state, ScaleIndex(v, alphabetSize));
            --count;
            continue;
        }
        // A run of whole draws inside the buffer, with the position kept in a register.
        const std::size_t run = std::min(count, (kSize - pos) / 4);
        const std::uint8_t* p = m_pBuffer.get() + pos;
        if (alphabetSize < kExactProductLimit) {
            for (std::size_t k = 0; k < run; ++k)
                state = step(state,
                             std::uint32_t((std::uint64_t(load(p + 4 * k)) * alphabetSize) >> 32));
        } else {
            for (std::size_t k = 0; k < run; ++k)
                state = step(state, ScaleIndex(load(p + 4 * k), alphabetSize));
        }
        m_nPos = std::int32_t(pos + 4 * run);
        count -= run;
    }
    return state;
}
