#include "app/ProgramLocation.h"

#include "platform/CommandLine.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Each case: argv, then the directory, command path and file name that it gives, joined by '|'.
TEST(ProgramLocationTest, ThePathComesFromTheHeadOfTheCommandLine) {
    const std::pair<std::vector<const char*>, CString> cases[] = {
        {{"/opt/my app/gen x", "count:5"}, R"(/opt/my app/|"/opt/my app/gen x"|gen x)"},
        {{"/usr/bin/gen", "my file.txt"}, "/usr/bin/|/usr/bin/gen|gen"},
        {{"gen", "out"}, "|gen|gen"},
        {{"bin/gen"}, "bin/|bin/gen|gen"},
        {{R"("/opt/gen)", "out"}, "||"}, // an unclosed quote names no program path
    };
    for (const auto& [argv, expected] : cases) {
        platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
        ProgramLocation location;
        location.SetFromCommandLine();
        EXPECT_EQ(location.GetDirectory() + "|" + location.GetCommandPath() + "|" +
                      location.GetFileName(),
                  expected);
    }
}

TEST(ProgramLocationTest, DirectoriesEndWithOneSeparator) {
    const std::pair<CString, CString> cases[] = {
        {"", "/"},         {"a", "a/"},    {"a/", "a/"},  {R"("a b")", "a b/"},
        {R"("a/")", "a/"}, {R"("")", "/"}, {R"(")", "/"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(ProgramLocation::AddTrailingBackslash(path), expected) << path;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path("/");
    EXPECT_EQ(ProgramLocation::GetCurrentDir(), "/");
    std::filesystem::current_path(saved);
}

} // namespace
