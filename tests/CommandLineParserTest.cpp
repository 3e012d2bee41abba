#include "app/CommandLineParser.h"

#include "generator/GeneratorSettings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class CommandLineParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        GeneratorSettings::Instance() = GeneratorSettings();
        GeneratorSettings::Instance().SetDefaults();
    }

    static GeneratorSettings& Settings() { return GeneratorSettings::Instance(); }
    // Parses a command line whose program path is "P" followed by args.
    static CString Parse(const CString& args) { return ParseCommandLine("P " + args); }

    // The four class flags as "ULDS" with '-' for each one that is off.
    static std::string Classes() {
        const GeneratorSettings& s = Settings();
        return std::string() + (s.m_bUpper ? 'U' : '-') + (s.m_bLower ? 'L' : '-') +
               (s.m_bDigits ? 'D' : '-') + (s.m_bSpecial ? 'S' : '-');
    }
    static void ExpectSizes(std::int32_t quantity, std::int32_t length) {
        EXPECT_EQ(Settings().m_nQuantity, quantity);
        EXPECT_EQ(Settings().m_nLength, length);
    }
};

TEST_F(CommandLineParserTest, WithoutAFileNameTheDialogIsChosen) {
    EXPECT_EQ(ParseCommandLine("P"), "");
    EXPECT_EQ(ParseCommandLine("P    "), "");
    EXPECT_EQ(ParseCommandLine(""), "");
    ExpectSizes(1, 7);
    EXPECT_EQ(Classes(), "ULD-");
}

TEST_F(CommandLineParserTest, AFileNameAloneKeepsTheDefaults) {
    EXPECT_EQ(Parse("out.txt"), "out.txt");
    ExpectSizes(1, 7);
    EXPECT_EQ(Classes(), "ULD-");
    EXPECT_EQ(Settings().m_special.GetText(), GeneratorSettings::kDefaultSpecial);
}

TEST_F(CommandLineParserTest, KeywordsIgnoreCaseAndAliasesAgree) {
    EXPECT_EQ(Parse("length:12 COUNT:5 f"), "f");
    ExpectSizes(5, 12);
    EXPECT_EQ(Parse("Quantity:8 LENGTH:3 g"), "g");
    ExpectSizes(8, 3);
    EXPECT_EQ(Parse("SYMBOL:A0 h"), "h");
    EXPECT_EQ(Classes(), "U-D-");
}

TEST_F(CommandLineParserTest, AnOptionWithoutItsValueChangesNothing) {
    EXPECT_EQ(Parse("length: 12 f"), "f");
    ExpectSizes(1, 7);
    EXPECT_EQ(Parse("count: length:"), "");
    ExpectSizes(1, 7);
}

TEST_F(CommandLineParserTest, TokensThatAreNoOptionNameTheFile) {
    EXPECT_EQ(Parse("quantity"), "quantity");
    EXPECT_EQ(Parse("quantity5"), "quantity5");
    EXPECT_EQ(Parse("symbols"), "symbols");
    EXPECT_EQ(Parse(R"("count:5")"), "count:5"); // a quoted token is never an option
    ExpectSizes(1, 7);
}

TEST_F(CommandLineParserTest, TheLastNameWinsAndAnEmptyOneClearsIt) {
    EXPECT_EQ(Parse("a.txt b.txt"), "b.txt");
    EXPECT_EQ(Parse("a.txt   "), "a.txt");
    EXPECT_EQ(Parse(R"(a.txt "")"), "");
    EXPECT_EQ(Parse(R"("" a.txt)"), "a.txt");
    EXPECT_EQ(Parse(R"("my passwords.txt")"), "my passwords.txt");
    EXPECT_EQ(Parse("a\tb.txt"), "a\tb.txt");       // a tab separates nothing
    EXPECT_EQ(Parse(R"(x a"b c")"), R"(c")");       // a quote inside a token groups nothing
    EXPECT_EQ(Parse(R"("a\" b" )"), R"(a\" b)");    // an escaped quote does not close
    EXPECT_EQ(Parse(R"("a\" b c)"), R"("a\" b c)"); // ... and runs to the end when none does
}

TEST_F(CommandLineParserTest, ClassLettersBeforeTheQuoteChooseTheClasses) {
    EXPECT_EQ(Parse("symbols:A0 f"), "f");
    EXPECT_EQ(Classes(), "U-D-");
    Parse("symbols:xyz0a");
    EXPECT_EQ(Classes(), "-LD-");
    Parse(R"(symbols:0"a")"); // letters inside the set choose no class
    EXPECT_EQ(Classes(), "--DS");
    EXPECT_EQ(Settings().m_special.GetText(), "a");
    Parse("symbols:A"); // no quote: special symbols off, their set kept
    EXPECT_EQ(Classes(), "U---");
    EXPECT_EQ(Settings().m_special.GetText(), "a");
}

TEST_F(CommandLineParserTest, AQuotedSetSwitchesOnSpecialSymbols) {
    EXPECT_EQ(Parse(R"(symbols:a"#$%" f)"), "f");
    EXPECT_EQ(Classes(), "-L-S");
    EXPECT_EQ(Settings().m_special.GetText(), "#$%");
    EXPECT_EQ(Settings().m_special.GetSize(), 4); // stored with its terminating zero byte

    Parse(R"(symbol:A"€é" f)");
    EXPECT_EQ(Classes(), "U--S");
    EXPECT_EQ(Settings().m_special.GetText(), "€é");
}

TEST_F(CommandLineParserTest, AnEmptySymbolsValueSwitchesEveryClassOff) {
    Parse("symbols:");
    EXPECT_EQ(Classes(), "----");
    EXPECT_EQ(Settings().m_special.GetText(), GeneratorSettings::kDefaultSpecial);

    Parse(R"(symbols:")"); // a lone quote: special symbols on with an empty set
    EXPECT_EQ(Classes(), "---S");
    EXPECT_EQ(Settings().m_special.GetText(), "");
    EXPECT_EQ(Settings().m_special.GetSize(), 1);

    Parse(R"(symbols:0"")");
    EXPECT_EQ(Classes(), "--DS");
    EXPECT_EQ(Settings().m_special.GetText(), "");
}

TEST_F(CommandLineParserTest, EscapesInTheSetAreResolved) {
    Parse(R"(symbols:0"a\"b\\c")");
    EXPECT_EQ(Settings().m_special.GetText(), R"(a"b\c)");
    Parse(R"(symbols:"\\\\\"")"); // \\ \\ \" -> \ \ "
    EXPECT_EQ(Settings().m_special.GetText(), R"(\\")");
    Parse(R"(symbols:"\\"")"); // \" first -> "
    EXPECT_EQ(Settings().m_special.GetText(), R"(\")");
    Parse(R"(symbols:"a\b")"); // a lone backslash stays
    EXPECT_EQ(Settings().m_special.GetText(), R"(a\b)");
}

TEST_F(CommandLineParserTest, NumbersAreReadLikePercentD) {
    const struct {
        const char* value;
        std::int32_t expected;
    } cases[] = {
        {"-3", 1},
        {"0", 1},
        {"12abc", 12},
        {"+7", 7},
        {"\t\t9", 9},
        {"00042", 42},
        {"2147483647", 2147483647},
        {"99999999999", 2147483647},
        {"-99999999999", 1},
    };
    for (const auto& c : cases) {
        SetUp();
        Parse(CString("count:") + c.value + " length:" + c.value);
        EXPECT_EQ(Settings().m_nQuantity, c.expected) << c.value;
        EXPECT_EQ(Settings().m_nLength, c.expected) << c.value;
    }
    for (const char* garbage : {"abc", "-", "+", "x12", "-\t3"}) {
        Parse("count:4");
        Parse(CString("count:") + garbage);
        EXPECT_EQ(Settings().m_nQuantity, 4) << garbage;
    }
}

TEST(ScanIntTest, StopsAtTheTextsEndAndSaturates) {
    EXPECT_EQ(ScanInt(" \t\n\v\f\r-12x"), -12);
    EXPECT_EQ(ScanInt("-2147483649"), INT32_MIN);
    EXPECT_EQ(ScanInt(std::string(40, '9')), INT32_MAX);
    EXPECT_EQ(ScanInt(""), std::nullopt);
    EXPECT_EQ(ScanInt(std::string("\0"
                                  "5",
                                  2)),
              std::nullopt);
}

TEST(NextTokenTest, SplitsAtBlanksAndKeepsQuotedTokensWhole) {
    const CString line = "  a \"b c\"  d\te x\"y z\" \"open \\\" end  ";
    std::size_t position = 0;
    std::vector<CString> tokens;
    while (const std::optional<CString> token = NextToken(line, position))
        tokens.push_back(*token);
    EXPECT_EQ(tokens,
              (std::vector<CString>{"a", "\"b c\"", "d\te", "x\"y", "z\"", "\"open \\\" end  "}));
    EXPECT_EQ(position, line.size());

    position = 1;
    EXPECT_EQ(NextToken("ab", position), "b");
    EXPECT_EQ(NextToken("ab", position), std::nullopt);
    position = 5;
    EXPECT_EQ(NextToken("ab", position), std::nullopt);
}

TEST(StripQuotesTest, RemovesOneEnclosingPair) {
    EXPECT_EQ(StripQuotes("\"a b\""), "a b");
    EXPECT_EQ(StripQuotes("\"\"a\"\""), "\"a\"");
    EXPECT_EQ(StripQuotes("\"\""), "");
    EXPECT_EQ(StripQuotes("\""), "");
    EXPECT_EQ(StripQuotes(""), "");
    EXPECT_EQ(StripQuotes("\"a"), "\"a");
    EXPECT_EQ(StripQuotes("a\""), "a\"");
    EXPECT_EQ(StripQuotes("a"), "a");
}

TEST(ToLowerTest, LowersAsciiAndCyrillicCapitalsOnly) {
    for (int c = 0; c < 256; ++c) {
        int expected = c;
        if ((c >= 0x41 && c <= 0x5A) || (c >= 0xC0 && c <= 0xDF))
            expected = c + 0x20;
        else if (c == 0xA8 || c == 0xAA || c == 0xAF)
            expected = c + 0x10;
        else if (c == 0xB2)
            expected = 0xB3;
        EXPECT_EQ(ToLowerChar(static_cast<unsigned char>(c)), expected) << "byte " << c;
    }
    CString text = "SyMbOlS:\xC0\xDF\xA8z";
    ToLower(text);
    EXPECT_EQ(text, "symbols:\xE0\xFF\xB8z");
}

} // namespace
