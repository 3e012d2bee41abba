// On POSIX the command line is argv: words split by the shell, each one token as it stands.
#include "app/CommandLineParser.h"
#include "app/ProgramLocation.h"
#include "generator/GeneratorSettings.h"
#include "platform/os/CommandLine.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

void Set(const std::vector<const char*>& argv) {
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLinePosixTest, ArgvIsKeptAsWordsAndParsedOneTokenPerWord) {
    Set({"/opt/my app/p", R"(symbols:a"x y")", R"(my "q" f.txt)", nullptr, ""});
    const auto* words = std::get_if<platform::CommandLineWords>(&platform::GetProcessCommandLine());
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words->words, (std::vector<CString>{"/opt/my app/p", R"(symbols:a"x y")",
                                                  R"(my "q" f.txt)", "", ""}));
    EXPECT_EQ(ParseProcessCommandLine(platform::GetProcessCommandLine()), R"(my "q" f.txt)");
    EXPECT_EQ(GeneratorSettings::Instance().m_special.GetText(), "x y");
}

// Each case: argv, then the directory, command path and file name that it gives, joined by '|'.
TEST(CommandLinePosixTest, TheProgramPathIsTheFirstWordAsItStands) {
    const std::pair<std::vector<const char*>, CString> cases[] = {
        {{"/opt/my app/gen x", "count:5"}, "/opt/my app/|/opt/my app/gen x|gen x"},
        {{R"(./my "q" dir/g\en)", "out"}, R"(./my "q" dir/|./my "q" dir/g\en|g\en)"},
        {{"bin/"}, "bin/|bin/|"},
        {{}, "||"},
    };
    for (const auto& [argv, expected] : cases) {
        Set(argv);
        ProgramLocation location;
        location.SetFromCommandLine();
        EXPECT_EQ(location.GetDirectory() + "|" + location.GetCommandPath() + "|" +
                      location.GetFileName(),
                  expected);
    }
}

} // namespace
