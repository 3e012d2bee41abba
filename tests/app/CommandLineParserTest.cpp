#include "app/CommandLineParser.h"

#include "generator/GeneratorSettings.h"
#include "platform/os/CommandLine.h"

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

// Each word is one token: the options apply inside it, in any case, the last one winning; any other
// word is the name as typed, and an empty word names nothing.
TEST(CommandLineParserTest, WordsAreOneTokenEachAndNamesStandAsTyped) {
    const std::pair<std::vector<CString>, Expected> cases[] = {
        {{"P", "out", "count:3", R"(my "q" f\)"}, {3, 7, "ULD-", kDefault, R"(my "q" f\)"}},
        {{"P", R"(symbols:a"x y")", "out.txt", ""}, {1, 7, "-L-S", "x y", "out.txt"}},
        {{"P", "LENGTH:12", "Count:5", "QUANTITY:6"}, {6, 12, "ULD-", kDefault, ""}},
        {{"out.txt"}, {1, 7, "ULD-", kDefault, ""}}, // the program path is never a token
        {{"P", "Symbol:A0 x"}, {1, 7, "U-D-", kDefault, ""}},
        {{"P", R"(SYMBOLS:xa0"A\"b\\c d")"}, {1, 7, "-LDS", R"(A"b\c d)", ""}},
        {{"P", R"(symbols:")"}, {1, 7, "---S", "", ""}},
        {{"P", "symbols:"}, {1, 7, "----", kDefault, ""}},
        {{"P", "length:", "count:", "quantity"}, {1, 7, "ULD-", kDefault, "quantity"}},
        {{"P", "length: 12", "count:5", "count:-3"}, {1, 12, "ULD-", kDefault, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.first));
        ExpectParsed([&] { return ParseCommandLineWords(c.first); }, c.second);
    }
}

// A whole text is split into blank-separated tokens first; a token that starts with a double
// quote runs to the next one not escaped; a name loses one pair of enclosing quotes.
TEST(CommandLineParserTest, CommandLinesSetTheRecordAndNameTheFile) {
    const struct {
        const char* line;
        std::int32_t quantity, length;
        const char* name;
    } cases[] = {
        {"P length:12 COUNT:5 f", 5, 12, "f"},
        {R"(P "my passwords.txt")", 1, 7, "my passwords.txt"},
        {R"(P "count:5")", 1, 7, "count:5"},
        {"P count:99999999999 length:12abc", 2147483647, 12, ""},
        {"P a.txt   ", 1, 7, "a.txt"},
        {R"(P a.txt "")", 1, 7, ""},
        {"P a\tb.txt", 1, 7, "a\tb.txt"},
        {R"(P x a"b c")", 1, 7, R"(c")"},
        {R"(P "a\" b" )", 1, 7, R"(a\" b)"},
        {R"(P "a\" b c)", 1, 7, R"("a\" b c)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ExpectParsed([&] { return ParseCommandLine(c.line); },
                     {c.quantity, c.length, "ULD-", kDefault, c.name});
    }
    // The process's command line is parsed by the rules of its form.
    using platform::CommandLineText, platform::CommandLineWords;
    EXPECT_EQ(ParseProcessCommandLine(CommandLineText{R"(p "my f.txt")"}), "my f.txt");
    EXPECT_EQ(ParseProcessCommandLine(CommandLineWords{{"p", R"("my f.txt")"}}), R"("my f.txt")");
}

} // namespace
