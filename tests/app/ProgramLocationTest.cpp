#include "app/ProgramLocation.h"

#include "platform/os/CommandLine.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

CString Describe(const ProgramLocation& location) {
    return location.GetDirectory() + "|" + location.GetCommandPath() + "|" + location.GetFileName();
}

// Each case: argv, then the directory, command path and file name that it gives, joined by '|'.
TEST(ProgramLocationTest, ThePathIsTheFirstWordAsItStands) {
    const std::pair<std::vector<const char*>, CString> cases[] = {
        {{"/opt/my app/gen x", "count:5"}, "/opt/my app/|/opt/my app/gen x|gen x"},
        {{R"(./my "q" dir/g\en)", "out"}, R"(./my "q" dir/|./my "q" dir/g\en|g\en)"},
        {{R"("/opt/gen)"}, R"("/opt/|"/opt/gen|gen)"},
        {{"bin/gen"}, "bin/|bin/gen|gen"},
        {{"gen", "out"}, "|gen|gen"},
        {{"bin/"}, "bin/|bin/|"},
        {{}, "||"},
    };
    for (const auto& [argv, expected] : cases) {
        platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
        ProgramLocation location;
        location.SetFromCommandLine();
        EXPECT_EQ(Describe(location), expected);
    }
}

// A whole command-line text: the path is its head, up to a blank or within double quotes.
TEST(ProgramLocationTest, ThePathIsTheHeadOfAWholeText) {
    const std::pair<CString, CString> cases[] = {
        {R"("/opt/my app/gen x" count:5)", R"(/opt/my app/|"/opt/my app/gen x"|gen x)"},
        {"/usr/bin/gen my file.txt", "/usr/bin/|/usr/bin/gen|gen"},
        {"gen out", "|gen|gen"},
        {"bin/gen", "bin/|bin/gen|gen"},
        {R"("/opt/gen out)", "||"}, // an unclosed quote names no program path
    };
    for (const auto& [text, expected] : cases) {
        ProgramLocation location;
        location.SetFromCommandLine(text);
        EXPECT_EQ(Describe(location), expected) << text;
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
