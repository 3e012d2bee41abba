#include "platform/CommandLine.h"

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

CString Build(const std::vector<const char*>& argv) {
    return platform::BuildCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(BuildCommandLineTest, QuotesOnlyEmptyElementsAndOnesWithBlanks) {
    EXPECT_EQ(Build({"p", "count:5", "", "a\tb", R"(symbols:a"#")"}),
              "p count:5 \"\" a\tb symbols:a\"#\"");
    EXPECT_EQ(Build({"/opt/my app/p", R"(say "hi")", " "}), R"("/opt/my app/p" "say \"hi\"" " ")");
}

TEST(BuildCommandLineTest, TheParserGetsBackWhatWasTyped) {
    EXPECT_EQ(ParseCommandLine(Build({"/opt/my app/p", R"(symbols:0"\\")", " my f "})), " my f ");
    EXPECT_EQ(GeneratorSettings::Instance().m_special.GetText(), "\\");
    EXPECT_EQ(ParseCommandLine(Build({"p", "out.txt", "tab\tname"})), "tab\tname");
    EXPECT_EQ(ParseCommandLine(Build({"p", "out.txt", ""})), "");
}

} // namespace
