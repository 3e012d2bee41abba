#include "app/CommandLineParser.h"

#include "generator/GeneratorSettings.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

const char* const kDefault = GeneratorSettings::kDefaultSpecial;

// What a command line leaves in the record: quantity, length, the classes as "ULDS" with '-' for a
// class that is off, the special set, and the name.
struct Expected {
    std::int32_t quantity, length;
    const char *classes, *special, *name;
};

// Parses with parse from the defaults and compares.
template <typename Parse> void ExpectParsed(Parse parse, const Expected& e) {
    GeneratorSettings& s = GeneratorSettings::Instance();
    s = GeneratorSettings();
    s.SetDefaults();
    EXPECT_EQ(parse(), e.name);
    EXPECT_EQ(s.m_nQuantity, e.quantity);
    EXPECT_EQ(s.m_nLength, e.length);
    EXPECT_EQ(std::string() + (s.m_bUpper ? 'U' : '-') + (s.m_bLower ? 'L' : '-') +
                  (s.m_bDigits ? 'D' : '-') + (s.m_bSpecial ? 'S' : '-'),
              e.classes);
    EXPECT_EQ(s.m_special.GetText(), e.special);
    EXPECT_EQ(s.m_special.GetSize(), std::int32_t(std::strlen(e.special) + 1));
}

// Each word is one token: the rules apply inside it, and any other word is the name as typed.
TEST(CommandLineParserTest, WordsAreOneTokenEachAndNamesStandAsTyped) {
    const std::pair<std::vector<CString>, Expected> cases[] = {
        {{"P", R"(my "q" f.txt)"}, {1, 7, "ULD-", kDefault, R"(my "q" f.txt)"}},
        {{"P", R"(a b\)", "count:3", "out"}, {3, 7, "ULD-", kDefault, "out"}},
        {{"P", R"(symbols:a"x y")", "count:3", "out.txt"}, {3, 7, "-L-S", "x y", "out.txt"}},
        {{"P", "LENGTH:12", "Count:5", "QUANTITY:6", "f"}, {6, 12, "ULD-", kDefault, "f"}},
        {{"P", " my f ", R"("q")"}, {1, 7, "ULD-", kDefault, R"("q")"}},
        {{"P", R"(a\"b\\)", "a\tb"}, {1, 7, "ULD-", kDefault, "a\tb"}},
        {{"P", R"(a\"b\\)"}, {1, 7, "ULD-", kDefault, R"(a\"b\\)"}},
        {{"P", "out.txt", ""}, {1, 7, "ULD-", kDefault, "out.txt"}},
        {{"P", "", "a.txt", "", "b.txt"}, {1, 7, "ULD-", kDefault, "b.txt"}},
        {{"P", ""}, {1, 7, "ULD-", kDefault, ""}},
        {{"P"}, {1, 7, "ULD-", kDefault, ""}},
        {{}, {1, 7, "ULD-", kDefault, ""}},
        {{"out.txt"}, {1, 7, "ULD-", kDefault, ""}}, // the program path is never a token
        {{"P", "Symbol:A0 x"}, {1, 7, "U-D-", kDefault, ""}},
        {{"P", R"(SYMBOLS:xa0"A\"b\\c d")"}, {1, 7, "-LDS", R"(A"b\c d)", ""}},
        {{"P", R"(symbols:" ")"}, {1, 7, "---S", " ", ""}},
        {{"P", R"(symbols:")"}, {1, 7, "---S", "", ""}},
        {{"P", "symbols:"}, {1, 7, "----", kDefault, ""}},
        {{"P", "length:", "count:"}, {1, 7, "ULD-", kDefault, ""}},
        {{"P", "length: 12", "count:-3"}, {1, 12, "ULD-", kDefault, ""}},
        {{"P", "length:", "12"}, {1, 7, "ULD-", kDefault, "12"}},
        {{"P", "quantity", R"("count:5")"}, {1, 7, "ULD-", kDefault, R"("count:5")"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.first));
        ExpectParsed([&] { return ParseCommandLineWords(c.first); }, c.second);
    }
}

// A whole text is split into blank-separated tokens first; a name loses one pair of quotes.
TEST(CommandLineParserTest, CommandLinesSetTheRecordAndNameTheFile) {
    const struct {
        const char* line;
        std::int32_t quantity, length;
        const char *classes, *special, *name;
    } cases[] = {
        {"P", 1, 7, "ULD-", kDefault, ""},
        {"P    ", 1, 7, "ULD-", kDefault, ""},
        {"P out.txt", 1, 7, "ULD-", kDefault, "out.txt"},
        {"P length:12 COUNT:5 f", 5, 12, "ULD-", kDefault, "f"},
        {"P symbols:A0", 1, 7, "U-D-", kDefault, ""},
        {R"(P symbols:a"#$%" f)", 1, 7, "-L-S", "#$%", "f"},
        {"P a.txt b.txt", 1, 7, "ULD-", kDefault, "b.txt"},
        {R"(P "my passwords.txt")", 1, 7, "ULD-", kDefault, "my passwords.txt"},
        {"P length: 12 f", 1, 7, "ULD-", kDefault, "f"},
        {"P count: length: symbols:0", 1, 7, "--D-", kDefault, ""},
        {"P quantity", 1, 7, "ULD-", kDefault, "quantity"},
        {"P Quantity:8 SYMBOL:A0 g", 8, 7, "U-D-", kDefault, "g"},
        {R"(P "count:5")", 1, 7, "ULD-", kDefault, "count:5"},
        {"P symbols:", 1, 7, "----", kDefault, ""},
        {R"(P symbols:")", 1, 7, "---S", "", ""},
        {R"(P symbols:xa0"A\"b\\c")", 1, 7, "-LDS", R"(A"b\c)", ""},
        {R"(P symbols:"\\"" symbols:A)", 1, 7, "U---", R"(\")", ""},
        {"P count:-3 length:12abc", 1, 12, "ULD-", kDefault, ""},
        {"P count:99999999999 length:x9", 2147483647, 7, "ULD-", kDefault, ""},
        {"P a.txt   ", 1, 7, "ULD-", kDefault, "a.txt"},
        {R"(P a.txt "")", 1, 7, "ULD-", kDefault, ""},
        {"P a\tb.txt", 1, 7, "ULD-", kDefault, "a\tb.txt"},
        {R"(P x a"b c")", 1, 7, "ULD-", kDefault, R"(c")"},
        {R"(P "a\" b" )", 1, 7, "ULD-", kDefault, R"(a\" b)"},
        {R"(P "a\" b c)", 1, 7, "ULD-", kDefault, R"("a\" b c)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ExpectParsed([&] { return ParseCommandLine(c.line); },
                     {c.quantity, c.length, c.classes, c.special, c.name});
    }
}

TEST(CommandLineParserTest, StripQuotesRemovesOneEnclosingPair) {
    const std::pair<CString, CString> cases[] = {
        {R"("a b")", "a b"}, {R"(""a"")", R"("a")"}, {R"("")", ""}, {R"(")", ""}, {"", ""},
        {R"("a)", R"("a)"},  {R"(a")", R"(a")"},
    };
    for (const auto& [text, stripped] : cases)
        EXPECT_EQ(StripQuotes(text), stripped) << text;
}

TEST(CommandLineParserTest, ToLowerLowersAsciiAndCyrillicCapitalsOnly) {
    const auto expected = [](int c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
            return c + 0x20;
        return c == 0xA8 || c == 0xAA || c == 0xAF ? c + 0x10 : c == 0xB2 ? 0xB3 : c;
    };
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(ToLowerChar(static_cast<unsigned char>(c)), expected(c)) << "byte " << c;
}

} // namespace
