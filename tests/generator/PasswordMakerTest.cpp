#include "generator/PasswordMaker.h"

#include "tests/support/Platform.h"
#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

const char kAlphanumeric[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const char kMultiByte[] = "xyza\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80"; // x y z a € é 😀

struct VirtualDraws : CryptoRandomSource {}; // the same bytes, drawn through NextIndex
struct MaxBytes : CryptoRandomSource {
    std::uint8_t Next8() override { return 0xFF; }
};

std::string MakeLines(CryptoRandomSource& source, const char* alphabetText, int length, int lines) {
    const Alphabet alphabet(alphabetText);
    PasswordMaker maker(source, alphabet, length);
    std::string out;
    std::vector<char> line(maker.LineBytes());
    for (int i = 0; i < lines; ++i)
        out.append(line.data(), maker.MakeOne(line.data()));
    return out;
}

} // namespace

// Both draws take the same fixed sample of bytes (one byte first: an index straddles each refill).
// A broken index mapping (never the last character, or favouring some) shows as uneven counts:
// 620,000 characters, 10,000 expected each; with 61 degrees of freedom P(chi2 > 153) ~ 7e-10.
TEST(PasswordMaker, OwnAndVirtualDrawsMakeTheSameEvenLinesFromTheSameBytes) {
    std::string lines[2];
    for (const char* text : {kMultiByte, kAlphanumeric}) {
        for (const bool own : {false, true}) {
            platform::SetRandomFillForTesting(
                [engine = std::mt19937(21)](unsigned char* buffer, std::size_t size) mutable {
                    std::generate(buffer, buffer + size, [&] { return std::uint8_t(engine()); });
                    return true;
                });
            const std::unique_ptr<CryptoRandomSource> source =
                own ? std::make_unique<CryptoRandomSource>() : std::make_unique<VirtualDraws>();
            source->Next8();
            lines[own] = MakeLines(*source, text, 62000, 10);
        }
        EXPECT_TRUE(lines[0] == lines[1]) << text;
    }
    double chi2 = 0;
    for (const char c : std::string(kAlphanumeric)) {
        const auto n = double(std::count(lines[1].begin(), lines[1].end(), c));
        EXPECT_GT(n, 0) << "never drawn: " << c;
        chi2 += (n - 1e4) * (n - 1e4) / 1e4;
    }
    EXPECT_LT(chi2, 153.0);
    platform::SetRandomFillForTesting({});
    MaxBytes max; // an overridden byte draw is honoured: always the last character (one byte of
                  // the code page on Windows)
    EXPECT_EQ(MakeLines(max, kMultiByte, 2, 1) + MakeLines(max, kAlphanumeric, 3, 1),
              testing_support::kWindows ? "\x80\x80\r\n999\r\n"
                                        : "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\n999\r\n");
}

// Each fill's characters tell its number ('A' for the first). When fill k fails, the passwords
// made are exactly those whole in the good fills, one of 10 characters straddling each refill; the
// one that reaches fill k is not made (MakeOne gives 0), whether fills are fetched ahead or not.
TEST(PasswordMaker, NoPasswordIsMadeThatReachesAFailedFill) {
    using namespace testing_support;
    constexpr int kLength = 10;
    for (const int k : {1, 2, 3}) {
        for (const bool prefetch : {false, true}) {
            SCOPED_TRACE(testing::Message() << "fill " << k << " fails, prefetch " << prefetch);
            const ScriptedFills fills(NumberedFills(62), k);
            CryptoRandomSource source;
            if (prefetch)
                source.PrefetchFor(4 * 16384 * 4);
            const Alphabet alphabet(kAlphanumeric);
            PasswordMaker maker(source, alphabet, kLength);
            std::string made, line(maker.LineBytes(), '\0');
            for (int i = 0; i < 5000; ++i) // 3,276 lines make two fills
                if (const std::size_t n = maker.MakeOne(line.data()); n != 0)
                    made.append(line, 0, n);
                else
                    break;
            std::string expected;
            for (int c = 0; c + kLength <= 16384 * (k - 1); c += kLength) {
                for (int i = c; i < c + kLength; ++i)
                    expected += char('A' + i / 16384);
                expected += "\r\n";
            }
            EXPECT_EQ(made.size(), expected.size());
            EXPECT_TRUE(made == expected);
            EXPECT_TRUE(source.Failed());
        }
    }
}
