#include "generator/PasswordBatch.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const char kAlphanumeric[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const char kMultiByte[] = "a\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80xyz"; // a € é 😀 x y z

// Draws exactly as CryptoRandomSource but is not that class itself, so its draws go through
// the overridable NextIndex.
struct PlainSource : CryptoRandomSource {};

struct MaxBytes : CryptoRandomSource {
    std::uint8_t Next8() override { return 0xFF; }
};

class PasswordBatchTest : public testing::Test {
protected:
    void TearDown() override { platform::SetRandomFillForTesting({}); }

    // Every provider fill from now on comes from a generator seeded with seed.
    void Feed(std::uint32_t seed) {
        m_engine.seed(seed);
        platform::SetRandomFillForTesting([this](unsigned char* buffer, std::size_t size) {
            for (std::size_t i = 0; i < size; ++i)
                buffer[i] = static_cast<unsigned char>(m_engine());
            return true;
        });
    }

    std::mt19937 m_engine;
};

std::string MakeLines(CryptoRandomSource& source, const Alphabet& alphabet, std::int32_t length,
                      int lines) {
    PasswordMaker maker(source, alphabet, length);
    std::string out;
    std::vector<char> line(maker.LineBytes());
    for (int i = 0; i < lines; ++i)
        out.append(line.data(), maker.MakeOne(line.data()));
    return out;
}

} // namespace

TEST(RunBufferBytes, CountsLinesWithBreaksAndAClosingZeroOrRefuses) {
    EXPECT_EQ(RunBufferBytes(3, 4, 1), 19u);
    EXPECT_EQ(RunBufferBytes(2, 5, 4), 45u);
    EXPECT_EQ(RunBufferBytes(0, 7, 1), 1u);

    constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
    const std::optional<std::size_t> largest = RunBufferBytes(kMax32, kMax32, 4);
    if constexpr (sizeof(std::size_t) == 8) // (4 (2^31 - 1) + 2) (2^31 - 1) + 1, just below 2^64
        EXPECT_EQ(largest, std::optional<std::size_t>(0xFFFFFFFD00000003u));
    else
        EXPECT_FALSE(largest);
    EXPECT_FALSE(RunBufferFits(largest.value_or(std::numeric_limits<std::size_t>::max())));
    EXPECT_FALSE(RunBufferBytes(kMax32, kMax32, 8));
    EXPECT_FALSE(RunBufferBytes(1, kMax64, 2));
    EXPECT_FALSE(RunBufferBytes(kMax64, 1, 1));

    EXPECT_TRUE(RunBufferFits(1 << 20));
    EXPECT_FALSE(RunBufferFits(std::size_t(std::numeric_limits<std::ptrdiff_t>::max()) + 1));
    const std::size_t physical = platform::PhysicalMemoryBytes();
    EXPECT_TRUE(physical == 0 || !RunBufferFits(physical + 1));
}

TEST(SecretBuffer, AllocatesReplacesAndReleases) {
    SecretBuffer buffer;
    ASSERT_TRUE(buffer.Allocate(64));
    std::fill(buffer.Data(), buffer.Data() + 64, 'x');
    ASSERT_TRUE(buffer.Allocate(8));
    EXPECT_EQ(buffer.Size(), 8u);
    buffer.Release();
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST_F(PasswordBatchTest, MakerWritesTheCharactersNextIndexPicks) {
    for (const char* text : {kAlphanumeric, kMultiByte}) {
        SCOPED_TRACE(text);
        const Alphabet alphabet(text);
        Feed(11);
        CryptoRandomSource reference;
        std::string expected;
        for (int line = 0; line < 3; ++line) {
            for (int i = 0; i < 300; ++i) // more than one chunk of indices
                expected += alphabet.At(std::uint32_t(reference.NextIndex(alphabet.Count())));
            expected += "\r\n";
        }
        Feed(11);
        CryptoRandomSource source;
        EXPECT_TRUE(MakeLines(source, alphabet, 300, 3) == expected);
        EXPECT_EQ(PasswordMaker(source, alphabet, 300).LineBytes(),
                  300 * alphabet.MaxCharBytes() + 2);
    }
    CryptoRandomSource source;
    EXPECT_EQ(MakeLines(source, Alphabet(kAlphanumeric), 0, 2), "\r\n\r\n");
}

TEST_F(PasswordBatchTest, OwnAndOverriddenDrawsGiveTheSameLinesFromTheSameBytes) {
    for (const char* text : {kAlphanumeric, kMultiByte}) {
        SCOPED_TRACE(text);
        const Alphabet alphabet(text);
        // 25,000 indices cross a refill; a single byte drawn first makes one index straddle it.
        Feed(21);
        CryptoRandomSource own;
        own.Next8();
        const std::string fast = MakeLines(own, alphabet, 5000, 5);
        Feed(21);
        PlainSource plain;
        plain.Next8();
        ASSERT_FALSE(plain.DrawsAreOwn());
        EXPECT_TRUE(fast == MakeLines(plain, alphabet, 5000, 5));
    }
    // A source that overrides its byte draw is honoured.
    MaxBytes max;
    EXPECT_EQ(MakeLines(max, Alphabet(kMultiByte), 3, 1), "zzz\r\n");
    EXPECT_EQ(MakeLines(max, Alphabet(kAlphanumeric), 3, 1), "999\r\n");
}

// A broken index mapping (one that never reaches the last character, or favours some) shows as
// uneven counts. 62 characters, 620,000 draws from the OS source per path: 10,000 expected per
// character. The chi-square statistic has 61 degrees of freedom; P(chi2 > 153) is about 7e-10,
// so a sound mapping fails each check about once in a billion runs. A character never drawn
// alone adds 10,000; a byte taken modulo 62 adds several thousand.
TEST(PasswordBatchStatistics, EveryCharacterIsDrawnEvenly) {
    platform::SetRandomFillForTesting({});
    const Alphabet alphabet(kAlphanumeric);
    for (const bool own : {true, false}) {
        SCOPED_TRACE(own ? "own draws" : "overridable draws");
        std::unique_ptr<CryptoRandomSource> source =
            own ? std::make_unique<CryptoRandomSource>() : std::make_unique<PlainSource>();
        const std::string text = MakeLines(*source, alphabet, 62000, 10);
        ASSERT_FALSE(source->Failed());
        ASSERT_EQ(text.size(), 620020u);
        std::vector<int> counts(256);
        for (const char c : text)
            ++counts[static_cast<unsigned char>(c)];
        double chi2 = 0;
        for (const char c : std::string(kAlphanumeric)) {
            const int n = counts[static_cast<unsigned char>(c)];
            EXPECT_GT(n, 0) << "never drawn: " << c;
            chi2 += (n - 10000.0) * (n - 10000.0) / 10000.0;
        }
        EXPECT_LT(chi2, 153.0);
    }
}
