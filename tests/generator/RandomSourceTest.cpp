#include "generator/RandomSource.h"

#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <ctime>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Every fill from now on: the leading bytes, then bytes of a generator seeded with seed.
int g_fills = 0;
void Feed(std::uint32_t seed, std::vector<unsigned char> leading = {}, bool ok = true) {
    g_fills = 0;
    platform::SetRandomFillForTesting(
        [=, engine = std::mt19937(seed)](unsigned char* buffer, std::size_t size) mutable {
            for (std::size_t i = 0; i < size; ++i)
                buffer[i] = g_fills == 0 && i < leading.size() ? leading[i] : engine() & 0xFF;
            ++g_fills;
            return ok;
        });
}

struct ScriptedBytes : CryptoRandomSource { // the bytes of m_v, most significant first, repeated
    std::uint8_t Next8() override { return std::uint8_t(m_v >> (24 - 8 * (m_k++ & 3))); }
    std::uint32_t m_v = 0x12345678, m_k = 0;
};

struct SeedRecorder : RandomSource {
    void SeedWithValue(std::int32_t value) override { m_seeds.push_back(value); }
    std::vector<std::int32_t> m_seeds;
};

} // namespace

TEST(RandomSource, CryptoDrawsTakeBytesInOrderAndFillEvery65536Bytes) {
    Feed(1, {0x12, 0x34, 0x56, 0x78});
    CryptoRandomSource source;
    EXPECT_EQ(g_fills, 0);
    EXPECT_EQ(source.Next32(), 0x12345678u);
    for (int i = 1; i < 16384; ++i)
        source.NextIndex(62);
    EXPECT_EQ(g_fills, 1);
    source.NextIndex(62); // the 16,385th draw
    EXPECT_EQ(g_fills, 2);
    EXPECT_FALSE(source.Failed());

    Feed(1, {}, false); // bytes written, yet not vouched for
    CryptoRandomSource failed;
    EXPECT_EQ(failed.Next32(), 0u);
    EXPECT_TRUE(failed.Failed());
}

TEST(RandomSource, EveryDrawTakesTheOverriddenByteDrawAndNextIndexScalesItOntoTheCount) {
    ScriptedBytes source;
    EXPECT_EQ(source.Next32(), 0x12345678u);
    EXPECT_EQ(source.NextUpTo(0x1p32), 0x12345678);
    EXPECT_EQ(source.NextInRange(1, 1 + 0x1p32), 1 + 0x12345678);
    EXPECT_EQ(source.Next16(), 0x1234);
    EXPECT_EQ(source.Next16(), 0x5678);
    // v, count, index; the last is rounded up in double precision
    const std::uint32_t edges[][3] = {
        {~0u, 62, 61}, {~0u, 1, 0}, {~0u, 0, 0}, {0, 62, 0}, {~0u - 1, (1u << 31) + 1, 1u << 31}};
    for (const auto& [v, count, index] : edges) {
        source.m_v = v;
        EXPECT_EQ(std::uint32_t(source.NextIndex(count)), index) << v << " onto " << count;
    }
    std::mt19937 engine(5);
    for (int i = 0; i < 200000; ++i) { // below 2^21: the upper half of the 64-bit product
        source.m_v = std::uint32_t(engine());
        const std::uint32_t count = i % 3 == 0 ? (1u << 21) - 1 : std::uint32_t(engine() >> 11);
        ASSERT_EQ(std::uint32_t(source.NextIndex(count)), std::uint64_t(source.m_v) * count >> 32)
            << count;
    }
}

TEST(RandomSource, FillIndicesDrawsWhatNextIndexDraws) {
    constexpr std::size_t kDraws = 40000; // 160,000 bytes: three fills
    // size % 4 single bytes first: an index straddles each refill. 2^31 + 4 draws FF FF FF FE
    // second, within the buffer, which double precision rounds up.
    for (const std::uint32_t size : {1u, 62u, 77u, (1u << 21) - 1, 1u << 21, 0x80000004u, ~0u}) {
        SCOPED_TRACE(size);
        CryptoRandomSource slow, fast;
        std::vector<std::uint32_t> expected(kDraws), got(kDraws);
        Feed(size, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE});
        for (std::uint32_t i = 0; i < size % 4; ++i)
            slow.Next8();
        for (std::uint32_t& index : expected)
            index = std::uint32_t(slow.NextIndex(size));
        Feed(size, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE});
        for (std::uint32_t i = 0; i < size % 4; ++i)
            fast.Next8();
        fast.FillIndices(size, got.data(), 1);
        fast.FillIndices(size, got.data() + 1, kDraws - 1);
        EXPECT_TRUE(got == expected);
    }
}

// Fetching the next fill ahead on a second thread changes only when it is fetched: the same fills
// in the same order give the same draws, and the thread is gone once prefetching stops.
TEST(RandomSource, PrefetchedFillsAreTheSameBytesInTheSameOrder) {
    using namespace testing_support;
    const long threads = ThreadCount();
    constexpr std::uint32_t kCount = (1u << 21) - 1; // 21 bits of each draw show
    constexpr std::size_t kDraws = 5 * 16384 + 100;  // with the first byte drawn alone: six fills
    std::vector<std::uint32_t> drawn[2];
    for (const bool prefetch : {false, true}) {
        SCOPED_TRACE(prefetch);
        std::vector<std::uint32_t>& indices = drawn[prefetch];
        indices.resize(kDraws);
        const ScriptedFills fills(SeededBytes(3));
        CryptoRandomSource source;
        if (prefetch)
            source.PrefetchFor(1 + 4 * (kDraws - 1));
        indices[0] = source.Next8(); // so that an index straddles every refill
        EXPECT_EQ(source.FillIndices(kCount, indices.data() + 1, kDraws - 1), kDraws - 1);
        source.StopPrefetching();
        EXPECT_EQ(ThreadCount(), threads);
        EXPECT_EQ(fills.Fills(), 6);
        EXPECT_EQ(fills.FetchedElsewhere(), prefetch);
    }
    EXPECT_TRUE(drawn[0] == drawn[1]);
}

// The k-th fill fails: every index of the good fills is drawn, none of fill k (not even one that
// straddles into it), none is asked for after it, and a fetching thread ends there.
TEST(RandomSource, AFailedFillStopsTheDrawsBeforeAnyIndexIsDrawnFromIt) {
    using namespace testing_support;
    const long threads = ThreadCount();
    constexpr std::size_t kDraws = 4 * 16384;
    for (const int k : {1, 2, 3}) {
        for (const bool prefetch : {false, true}) {
            for (const std::size_t lead : {0, 1}) { // bytes drawn alone first
                SCOPED_TRACE(testing::Message() << "fill " << k << " fails, prefetch " << prefetch
                                                << ", lead " << lead);
                const ScriptedFills fills(SeededBytes(7), k);
                CryptoRandomSource source;
                if (prefetch)
                    source.PrefetchFor(lead + 4 * kDraws);
                for (std::size_t i = 0; i < lead; ++i)
                    source.Next8();
                std::vector<std::uint32_t> indices(kDraws, ~0u);
                const std::size_t good = (std::max<std::size_t>(65536 * (k - 1), lead) - lead) / 4;
                EXPECT_EQ(source.FillIndices(62, indices.data(), kDraws), good);
                EXPECT_TRUE(source.Failed());
                EXPECT_EQ(ThreadCount(), threads);
                EXPECT_EQ(source.FillIndices(62, indices.data(), kDraws), 0u);
                EXPECT_EQ(std::size_t(std::count(indices.begin(), indices.end(), ~0u)),
                          kDraws - good);
                EXPECT_EQ(fills.Fills(), k);
            }
        }
    }
}

TEST(RandomSource, SeedsWithTheTextsLastFourBytesOrTheTimePlusTheCallCount) {
    SeedRecorder source;
    for (const char* text : {"AB", "ABCDE", "\xFF\x01"})
        source.SeedWithText(text);
    EXPECT_EQ(source.m_seeds, (std::vector<std::int32_t>{16706, 0x42434445, 0xFF01}));
    const auto calls = std::uint32_t(RandomSource::s_nSeedCalls);
    const auto start = std::uint32_t(std::time(nullptr)) + calls;
    source.SeedWithTime();
    source.SeedWithTime();
    const auto end = std::uint32_t(std::time(nullptr)) + calls;
    for (const std::uint32_t k : {0u, 1u}) // each seed less its call's number lies in [start, end]
        EXPECT_LE(std::uint32_t(source.m_seeds.at(3 + k)) - k - start, end - start) << "call " << k;
}
