#include "app/ProgramLocation.h"

#include "platform/os/Files.h"
#include "tests/support/Platform.h"

#include <filesystem>
#include <gtest/gtest.h>

using testing_support::NativePath;

namespace {

CString Describe(const ProgramLocation& location) {
    return location.GetDirectory() + "|" + location.GetCommandPath() + "|" + location.GetFileName();
}

// A whole command-line text: the path is its head, up to a blank or within double quotes.
TEST(ProgramLocationTest, ThePathIsTheHeadOfAWholeText) {
    const std::pair<CString, CString> cases[] = {
        {R"("/opt/my app/gen x" count:5)", R"(/opt/my app/|"/opt/my app/gen x"|gen x)"},
        {"/usr/bin/gen my file.txt", "/usr/bin/|/usr/bin/gen|gen"},
        {"gen", "|gen|gen"},
        {R"("/opt/gen out)", "||"}, // an unclosed quote names no program path
    };
    for (const auto& [text, expected] : cases) {
        ProgramLocation location;
        location.SetFromCommandLine(NativePath(text));
        EXPECT_EQ(Describe(location), NativePath(expected)) << text;
    }
}

TEST(ProgramLocationTest, DirectoriesEndWithOneSeparator) {
    const std::pair<CString, CString> cases[] = {
        {"", "/"}, {"a", "a/"}, {"a/", "a/"}, {R"("a b")", "a b/"}, {R"(")", "/"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(ProgramLocation::AddTrailingBackslash(NativePath(path)), NativePath(expected))
            << path;
    // A root folder ends with its separator already ("/", or "C:\").
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(saved.root_path());
    EXPECT_EQ(ProgramLocation::GetCurrentDir(), saved.root_path().string());
    std::filesystem::current_path(saved);
}

// The data files are looked for beside the program's real file, then in the data folder installed
// beside its bin/ folder.
TEST(ProgramLocationTest, DataFoldersAreTheProgramsOwnFolderThenItsInstalledDataFolder) {
    const std::vector<CString> folders = ProgramLocation::DataFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], platform::ExecutableDirectory());
    EXPECT_EQ(folders[1],
              std::filesystem::path(folders[0] + NativePath("../share/mirrak-generator/"))
                  .lexically_normal()
                  .string());
    EXPECT_EQ(folders[1].find(".."), CString::npos);
}

} // namespace
