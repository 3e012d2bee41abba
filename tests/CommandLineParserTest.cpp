#include "app/CommandLineParser.h"

#include "generator/GeneratorSettings.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

const char* const kDefault = GeneratorSettings::kDefaultSpecial;

// Each command line is parsed from the defaults; classes read "ULDS" with '-' for a class that is
// off.
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
    GeneratorSettings& s = GeneratorSettings::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        s = GeneratorSettings();
        s.SetDefaults();
        EXPECT_EQ(ParseCommandLine(c.line), c.name);
        EXPECT_EQ(s.m_nQuantity, c.quantity);
        EXPECT_EQ(s.m_nLength, c.length);
        EXPECT_EQ(std::string() + (s.m_bUpper ? 'U' : '-') + (s.m_bLower ? 'L' : '-') +
                      (s.m_bDigits ? 'D' : '-') + (s.m_bSpecial ? 'S' : '-'),
                  c.classes);
        EXPECT_EQ(s.m_special.GetText(), c.special);
        EXPECT_EQ(s.m_special.GetSize(), std::int32_t(std::strlen(c.special) + 1));
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
