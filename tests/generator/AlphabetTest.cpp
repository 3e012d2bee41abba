#include "generator/Alphabet.h"

#include "tests/support/Platform.h"

#include <gtest/gtest.h>
#include <tuple>

// On POSIX texts are UTF-8; on Windows they are of a single-byte code page, where every byte is a
// character.
TEST(Alphabet, CountsWholeUtf8CharactersAndTakesInvalidBytesSingly) {
    // The text, its characters each followed by '|', the widest character's bytes. The last rows
    // hold overlong forms, a surrogate and a code point above U+10FFFF: each byte stands alone.
    const std::tuple<std::string, std::string, std::size_t> cases[] = {
        {"", "", 1},
        {"abca", "a|b|c|a|", 1},
        {"a\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80", "a|\xE2\x82\xAC|\xC3\xA9|\xF0\x9F\x98\x80|", 4},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF|", 4},              // U+10FFFF, the last
        {"x\xE2\x82\xE2\x82\xAC", "x|\xE2|\x82|\xE2\x82\xAC|", 3}, // cut before a whole one
        {"\xC0\xAF\xE0\x80\xAF", "\xC0|\xAF|\xE0|\x80|\xAF|", 1},
        {"\xED\xA0\x80\xF0\x8F\xBF\xBF", "\xED|\xA0|\x80|\xF0|\x8F|\xBF|\xBF|", 1},
        {"\xF4\x90\x80\x80\xF5\xFF\xE2\x82", "\xF4|\x90|\x80|\x80|\xF5|\xFF|\xE2|\x82|", 1},
    };
    for (const auto& [text, characters, maxBytes] : cases) {
        const Alphabet alphabet(text);
        std::string split;
        for (std::uint32_t i = 0; i < alphabet.Count(); ++i)
            split += std::string(alphabet.At(i)) + "|";
        if (testing_support::kWindows) {
            std::string bytes;
            for (const char c : text)
                bytes += std::string(1, c) + "|";
            EXPECT_EQ(split, bytes);
            EXPECT_EQ(alphabet.MaxCharBytes(), 1u);
            continue;
        }
        EXPECT_EQ(split, characters);
        EXPECT_EQ(alphabet.MaxCharBytes(), maxBytes) << characters;
    }
}
