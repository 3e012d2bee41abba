#include "platform/CommandLine.h"

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

CString Build(const std::vector<const char*>& argv) {
    return platform::BuildCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(BuildCommandLineTest, JoinsElementsQuotingOnlyEmptyOnesAndOnesWithBlanks) {
    EXPECT_EQ(Build({}), "");
    EXPECT_EQ(Build({"prog"}), "prog");
    EXPECT_EQ(Build({"prog", "count:5", "out.txt"}), "prog count:5 out.txt");
    EXPECT_EQ(Build({"prog", "", "x"}), R"(prog "" x)");
    EXPECT_EQ(Build({"/opt/my app/prog", "my file"}), R"("/opt/my app/prog" "my file")");
    EXPECT_EQ(Build({"p", R"(say "hi" now)"}), R"(p "say \"hi\" now")");
    EXPECT_EQ(Build({"p", " "}), R"(p " ")");
    EXPECT_EQ(Build({"p", "a\tb", R"(symbols:a"#\")", R"("q")"}), "p a\tb symbols:a\"#\\\" \"q\"");
}

TEST(BuildCommandLineTest, SetCommandLineRecordsTheText) {
    const char* argv[] = {"prog", "a b"};
    platform::SetCommandLine(2, argv);
    EXPECT_EQ(GetCommandLineA(), R"(prog "a b")");
}

class CommandLineRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        GeneratorSettings::Instance() = GeneratorSettings();
        GeneratorSettings::Instance().SetDefaults();
    }
    static CString RoundTrip(const std::vector<const char*>& argv) {
        return ParseCommandLine(Build(argv));
    }
};

TEST_F(CommandLineRoundTripTest, TypedArgumentsMeanWhatTheyMean) {
    const GeneratorSettings& s = GeneratorSettings::Instance();
    EXPECT_EQ(RoundTrip({"/opt/my app/mirrak-generator", "COUNT:5", "length:9", R"(symbols:a"€é")",
                         "my passwords.txt"}),
              "my passwords.txt");
    EXPECT_EQ(s.m_nQuantity, 5);
    EXPECT_EQ(s.m_nLength, 9);
    EXPECT_TRUE(s.m_bLower && s.m_bSpecial);
    EXPECT_FALSE(s.m_bUpper || s.m_bDigits);
    EXPECT_EQ(s.m_special.GetText(), "€é");

    EXPECT_EQ(RoundTrip({"/opt/my app/mirrak-generator"}), "");
    EXPECT_EQ(RoundTrip({"prog", "out.txt", ""}), "");
    EXPECT_EQ(RoundTrip({"prog", " lead and trail "}), " lead and trail ");
    EXPECT_EQ(RoundTrip({"prog", "tab\tname"}), "tab\tname");
    EXPECT_EQ(RoundTrip({"prog", R"(symbols:0"\\")", "x"}), "x");
    EXPECT_EQ(s.m_special.GetText(), "\\");
}

} // namespace
