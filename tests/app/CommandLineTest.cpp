#include "platform/os/CommandLine.h"
#include "platform/os/CommandLinePosix.h"

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

void Set(const std::vector<const char*>& argv) {
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, ArgvIsKeptAsWordsAndParsedOneTokenPerWord) {
    Set({"/opt/my app/p", R"(symbols:a"x y")", R"(my "q" f.txt)", nullptr, ""});
    const auto* words = std::get_if<platform::CommandLineWords>(&platform::GetProcessCommandLine());
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words->words, (std::vector<CString>{"/opt/my app/p", R"(symbols:a"x y")",
                                                  R"(my "q" f.txt)", "", ""}));
    EXPECT_EQ(ParseProcessCommandLine(platform::GetProcessCommandLine()), R"(my "q" f.txt)");
    EXPECT_EQ(GeneratorSettings::Instance().m_special.GetText(), "x y");
    // Only for display: the words joined, those with blanks quoted.
    EXPECT_EQ(GetCommandLineA(), R"("/opt/my app/p" "symbols:a\"x y\"" "my \"q\" f.txt" "" "")");
}

TEST(CommandLineTest, AWholeTextIsParsedByItsOwnRules) {
    const platform::ProcessCommandLine text = platform::CommandLineText{R"(p "my f.txt" "")"};
    EXPECT_EQ(ParseProcessCommandLine(text), "");
    const platform::ProcessCommandLine quoted = platform::CommandLineText{R"(p "my f.txt")"};
    EXPECT_EQ(ParseProcessCommandLine(quoted), "my f.txt");
    const platform::ProcessCommandLine words = platform::CommandLineWords{{"p", R"("my f.txt")"}};
    EXPECT_EQ(ParseProcessCommandLine(words), R"("my f.txt")");
}

} // namespace
