#include "generator/Alphabet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Characters(const Alphabet& alphabet) {
    std::vector<std::string> characters;
    for (std::uint32_t i = 0; i < alphabet.Count(); ++i)
        characters.emplace_back(alphabet.At(i));
    return characters;
}

} // namespace

TEST(Alphabet, AsciiTextIsOneCharacterPerByteInOrderWithDuplicates) {
    const Alphabet alphabet("abca");
    EXPECT_EQ(alphabet.Count(), 4u);
    EXPECT_EQ(alphabet.MaxCharBytes(), 1u);
    EXPECT_EQ(Characters(alphabet), (std::vector<std::string>{"a", "b", "c", "a"}));
    EXPECT_EQ(alphabet.Text(), "abca");
    EXPECT_TRUE(Alphabet("").IsEmpty());
    EXPECT_EQ(Alphabet("").Count(), 0u);
}

TEST(Alphabet, Utf8CharactersCountOnceEach) {
    const Alphabet alphabet("a\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80z"); // a € é 😀 z
    EXPECT_EQ(Characters(alphabet),
              (std::vector<std::string>{"a", "\xE2\x82\xAC", "\xC3\xA9", "\xF0\x9F\x98\x80", "z"}));
    EXPECT_EQ(alphabet.MaxCharBytes(), 4u);
    EXPECT_EQ(Alphabet("\xC3\xA9\xC3\xA9").MaxCharBytes(), 2u);
    EXPECT_EQ(Alphabet("\xF4\x8F\xBF\xBF").Count(), 1u); // U+10FFFF, the last character
}

TEST(Alphabet, BytesOfInvalidSequencesAreCharactersOfTheirOwn) {
    const std::string invalid[] = {
        "\x80",             // lone continuation byte
        "\xC0\xAF",         // overlong '/'
        "\xC1\xBF",         // overlong
        "\xE0\x80\xAF",     // overlong three-byte form
        "\xED\xA0\x80",     // surrogate U+D800
        "\xE2\x82",         // truncated at the end
        "\xF0\x8F\xBF\xBF", // overlong four-byte form
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF5\x80\x80\x80", // no such lead byte
        "\xFF",
    };
    for (const std::string& bytes : invalid) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const Alphabet alphabet(bytes);
        EXPECT_EQ(alphabet.Count(), bytes.size());
        EXPECT_EQ(alphabet.MaxCharBytes(), 1u);
    }
    const unsigned char euro[] = {0xE2, 0x82, 0xAC};
    EXPECT_EQ(Alphabet::Utf8SequenceLength(euro, 2), 1u); // the bytes beyond size do not count
    EXPECT_EQ(Alphabet::Utf8SequenceLength(euro, 3), 3u);
    // A sequence cut short in the middle of the text: each of its bytes stands alone and the
    // valid character after it is still whole.
    const Alphabet mixed("x\xE2\x82\xE2\x82\xAC");
    EXPECT_EQ(Characters(mixed), (std::vector<std::string>{"x", "\xE2", "\x82", "\xE2\x82\xAC"}));
}
