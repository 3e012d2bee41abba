#include "platform/os/CommandLine.h"

#include "app/CommandLineParser.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, AWholeTextIsParsedByItsOwnRules) {
    const platform::ProcessCommandLine text = platform::CommandLineText{R"(p "my f.txt" "")"};
    EXPECT_EQ(ParseProcessCommandLine(text), "");
    const platform::ProcessCommandLine quoted = platform::CommandLineText{R"(p "my f.txt")"};
    EXPECT_EQ(ParseProcessCommandLine(quoted), "my f.txt");
    const platform::ProcessCommandLine words = platform::CommandLineWords{{"p", R"("my f.txt")"}};
    EXPECT_EQ(ParseProcessCommandLine(words), R"("my f.txt")");
}

} // namespace
