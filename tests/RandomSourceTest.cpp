#include "generator/RandomSource.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr double kTwoTo32 = 4294967296.0;

// Answers every provider fill with the given leading bytes, then bytes of a generator seeded
// with seed, so that two sources drawing after the same Feed see the same stream.
class RandomSourceTest : public testing::Test {
protected:
    void SetUp() override { Feed(1); }
    void TearDown() override { platform::SetRandomFillForTesting({}); }

    void Feed(std::uint32_t seed, std::vector<unsigned char> leading = {}) {
        m_engine.seed(seed);
        m_leading = std::move(leading);
        m_nFills = 0;
        platform::SetRandomFillForTesting([this](unsigned char* buffer, std::size_t size) {
            EXPECT_EQ(size, std::size_t(CryptoRandomSource::kBufferSize));
            for (std::size_t i = 0; i < size; ++i)
                buffer[i] = m_nFills == 0 && i < m_leading.size()
                                ? m_leading[i]
                                : static_cast<unsigned char>(m_engine());
            ++m_nFills;
            return true;
        });
    }

    std::mt19937 m_engine;
    std::vector<unsigned char> m_leading;
    int m_nFills = 0;
};

// Byte draws 1, 2, 3, ...
template <class Base> struct CountingBytes : Base {
    std::uint8_t Next8() override { return m_next++; }
    std::uint8_t m_next = 1;
};

// Every 32-bit draw is m_v.
struct FixedValue : RandomSource {
    std::uint32_t Next32() override { return m_v; }
    std::uint32_t m_v = 0;
};

// Records the seeds instead of seeding.
struct SeedRecorder : RandomSource {
    void SeedWithValue(std::int32_t value) override { m_seeds.push_back(value); }
    std::vector<std::int32_t> m_seeds;
};

} // namespace

TEST_F(RandomSourceTest, DrawsTakeBytesInOrderMostSignificantFirst) {
    Feed(1, {0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD});
    CryptoRandomSource source;
    EXPECT_EQ(source.Next32(), 0x12345678u);
    EXPECT_EQ(source.NextUnit(), 0x12345678 / kTwoTo32);
    EXPECT_EQ(source.Next16(), 0xABCD);
}

TEST(RandomSourceIndex, IsTheUpperHalfOfTheProductBelowTwoTo21) {
    FixedValue source;
    source.m_v = 0xFFFFFFFF;
    EXPECT_EQ(source.NextIndex(62), 61);
    EXPECT_EQ(source.NextIndex(1), 0);
    EXPECT_EQ(std::uint32_t(source.NextIndex(0xFFFFFFFF)), 0xFFFFFFFEu);
    EXPECT_EQ(source.NextIndex(0), 0);
    source.m_v = 0;
    EXPECT_EQ(source.NextIndex(62), 0);

    std::mt19937 engine(5);
    for (int i = 0; i < 200000; ++i) {
        source.m_v = std::uint32_t(engine());
        const std::uint32_t count = i % 3 == 0 ? (1u << 21) - 1 : std::uint32_t(engine() >> 11);
        ASSERT_EQ(std::uint32_t(source.NextIndex(count)),
                  std::uint32_t(std::uint64_t(source.m_v) * count >> 32))
            << "v " << source.m_v << " count " << count;
    }
}

TEST_F(RandomSourceTest, LargeCountsRoundTheProductInDoublePrecision) {
    // v = 2^32 - 2, count = 2^31 + 1: v * count / 2^32 = 2^31 - 2^-31, which rounds to 2^31 in
    // double precision, one more than the upper half of the integer product.
    Feed(1, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE});
    CryptoRandomSource source;
    std::uint32_t index = 0;
    EXPECT_EQ(std::uint32_t(source.NextIndex((1u << 31) + 1)), 1u << 31);
    source.FillIndices((1u << 31) + 1, &index, 1);
    EXPECT_EQ(index, 1u << 31);
}

TEST_F(RandomSourceTest, FillsOncePer16384Indices) {
    CryptoRandomSource source;
    EXPECT_EQ(m_nFills, 0);
    source.NextIndex(62);
    EXPECT_EQ(m_nFills, 1);
    for (int i = 1; i < 16384; ++i)
        source.NextIndex(62);
    EXPECT_EQ(m_nFills, 1);
    source.NextIndex(62);
    EXPECT_EQ(m_nFills, 2);
    EXPECT_FALSE(source.Failed());
}

TEST_F(RandomSourceTest, FillIndicesDrawsWhatNextIndexDraws) {
    const std::uint32_t sizes[] = {1, 62, 77, (1u << 21) - 1, 1u << 21, (1u << 21) + 5, 0xFFFFFFFF};
    constexpr std::size_t kDraws = 40000; // 160,000 bytes: three fills
    for (const std::uint32_t size : sizes) {
        // Single bytes drawn first shift the indices so that one straddles each refill.
        for (int skip = 0; skip < 4; ++skip) {
            SCOPED_TRACE(testing::Message() << "size " << size << " skip " << skip);
            CryptoRandomSource slow, fast;
            Feed(size + std::uint32_t(skip));
            for (int i = 0; i < skip; ++i)
                slow.Next8();
            std::vector<std::uint32_t> expected(kDraws), got(kDraws);
            for (std::uint32_t& index : expected)
                index = std::uint32_t(slow.NextIndex(size));
            Feed(size + std::uint32_t(skip));
            for (int i = 0; i < skip; ++i)
                fast.Next8();
            // Uneven chunks, so that calls begin and end all over the buffer.
            for (std::size_t done = 0, chunk = 1; done < kDraws; chunk = chunk * 7 % 1001 + 1) {
                chunk = std::min(chunk, kDraws - done);
                fast.FillIndices(size, got.data() + done, chunk);
                done += chunk;
            }
            const auto diff = std::mismatch(got.begin(), got.end(), expected.begin());
            EXPECT_EQ(diff.first - got.begin(), std::ptrdiff_t(kDraws));
            EXPECT_LT(*std::max_element(got.begin(), got.end()), std::max(size, 1u));
            EXPECT_EQ(fast.Next32(), slow.Next32()); // both stopped at the same byte
        }
    }
}

TEST(RandomSourceSeed, TextSeedsWithItsLastFourBytes) {
    SeedRecorder source;
    source.SeedWithText("AB");
    source.SeedWithText("ABCDE");
    source.SeedWithText("");
    source.SeedWithText("\xFF\x01");
    EXPECT_EQ(source.m_seeds, (std::vector<std::int32_t>{16706, 0x42434445, 0, 0xFF01}));
}

TEST(RandomSourceSeed, TimeSeedsWithTimePlusCallCount) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SeedRecorder source;
        const auto calls = std::uint32_t(RandomSource::s_nSeedCalls);
        const auto seed = std::uint32_t(std::time(nullptr)) + calls;
        source.SeedWithTime();
        source.SeedWithTime();
        if (std::uint32_t(std::time(nullptr)) + calls != seed)
            continue; // a second boundary passed: try again
        EXPECT_EQ(source.m_seeds,
                  (std::vector<std::int32_t>{std::int32_t(seed), std::int32_t(seed + 1)}));
        EXPECT_EQ(std::uint32_t(RandomSource::s_nSeedCalls), calls + 2);
        return;
    }
    FAIL() << "the clock never held still for two calls";
}

TEST(RandomSourceBytes, BaseByteIsTheLowByteOfRand) {
    std::srand(4242);
    std::vector<int> expected(1000);
    for (int& value : expected)
        value = std::rand() & 0xFF;
    RandomSource source;
    source.SeedWithValue(4242);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(source.Next8(), expected[i]) << "draw " << i;
}

TEST_F(RandomSourceTest, EveryDrawGoesThroughTheOverridableByteDraw) {
    CountingBytes<RandomSource> source;
    EXPECT_EQ(source.Next16(), 0x0102);
    EXPECT_EQ(source.Next32(), 0x03040506u);
    EXPECT_EQ(source.NextUnit(), 0x0708090A / kTwoTo32);
    EXPECT_EQ(source.NextIndex(256), 0x0B);
    EXPECT_EQ(source.NextUpTo(kTwoTo32), 0x0F101112);
    EXPECT_EQ(source.NextInRange(1, 1 + kTwoTo32), 1.0 + 0x13141516);

    CountingBytes<CryptoRandomSource> crypto;
    EXPECT_EQ(crypto.NextIndex(256), 1);
    EXPECT_EQ(crypto.Next32(), 0x05060708u);
    EXPECT_EQ(m_nFills, 0);
    EXPECT_FALSE(crypto.DrawsAreOwn());
    EXPECT_TRUE(CryptoRandomSource().DrawsAreOwn());
}

TEST_F(RandomSourceTest, FailedFillFailsTheSourceForGood) {
    platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t size) {
        std::fill(buffer, buffer + size, 0xAB); // written, yet not vouched for
        return false;
    });
    CryptoRandomSource source;
    EXPECT_FALSE(source.Failed());
    EXPECT_EQ(source.Next32(), 0u);
    EXPECT_TRUE(source.Failed());

    Feed(3); // the provider recovers; the source does not
    std::vector<std::uint32_t> indices(20000, 1);
    source.FillIndices(62, indices.data(), indices.size());
    EXPECT_EQ(std::count(indices.begin(), indices.end(), 0u), 20000);
    EXPECT_TRUE(source.Failed());
}
