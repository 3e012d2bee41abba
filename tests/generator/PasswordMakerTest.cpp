#include "generator/PasswordMaker.h"

#include "tests/support/Platform.h"
#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

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
            const testing_support::ScriptedFills fills(testing_support::SeededBytes(21));
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
    // An overridden byte draw is honoured: always the last character (one byte of the code page
    // on Windows).
    MaxBytes max;
    EXPECT_EQ(MakeLines(max, kMultiByte, 2, 1) + MakeLines(max, kAlphanumeric, 3, 1),
              testing_support::kWindows ? "\x80\x80\r\n999\r\n"
                                        : "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\n999\r\n");
}
