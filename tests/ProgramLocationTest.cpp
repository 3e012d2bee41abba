#include "app/ProgramLocation.h"

#include "platform/CommandLine.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

struct Fields {
    CString directory, commandPath, fileName;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* os) {
    *os << "{dir \"" << f.directory << "\", path \"" << f.commandPath << "\", name \"" << f.fileName
        << "\"}";
}

// The fields a fresh location takes from a command line rebuilt from argv.
Fields FromArgv(const std::vector<const char*>& argv) {
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    ProgramLocation location;
    location.SetFromCommandLine();
    EXPECT_EQ(location.GetCurrentDirectory(), "");
    return {location.GetDirectory(), location.GetCommandPath(), location.GetFileName()};
}

// Runs the test body in another current directory and comes back.
class InDirectory {
public:
    explicit InDirectory(const char* path) : m_saved(std::filesystem::current_path()) {
        EXPECT_EQ(chdir(path), 0) << path;
    }
    ~InDirectory() { std::filesystem::current_path(m_saved); }

private:
    std::filesystem::path m_saved;
};

TEST(ProgramLocationTest, ThePathComesFromTheHeadOfTheCommandLine) {
    EXPECT_EQ(FromArgv({"/opt/my app/gen x", "count:5", "out"}),
              (Fields{"/opt/my app/", R"("/opt/my app/gen x")", "gen x"}));
    EXPECT_EQ(FromArgv({"/usr/bin/gen", "my file.txt"}),
              (Fields{"/usr/bin/", "/usr/bin/gen", "gen"}));
    EXPECT_EQ(FromArgv({"gen", "out"}), (Fields{"", "gen", "gen"}));
    EXPECT_EQ(FromArgv({"bin/gen"}), (Fields{"bin/", "bin/gen", "gen"}));
    EXPECT_EQ(FromArgv({"./gen"}), (Fields{"./", "./gen", "gen"}));
    EXPECT_EQ(FromArgv({"/gen"}), (Fields{"/", "/gen", "gen"}));
    EXPECT_EQ(FromArgv({""}), (Fields{"", R"("")", ""}));
    EXPECT_EQ(FromArgv({}), (Fields{"", "", ""}));
    // A leading quote that is never closed names no program path.
    EXPECT_EQ(FromArgv({R"("/opt/gen)", "out"}), (Fields{"", "", ""}));
}

TEST(ProgramLocationTest, InitAlsoRecordsTheCurrentDirectory) {
    const char* argv[] = {"/usr/bin/gen"};
    platform::SetCommandLine(1, argv);
    ProgramLocation location;
    location.Init();
    EXPECT_EQ(location.GetDirectory(), "/usr/bin/");
    EXPECT_EQ(location.GetCurrentDirectory(), std::filesystem::current_path().string() + "/");
    EXPECT_EQ(&ProgramLocation::Instance(), &ProgramLocation::Instance());
}

TEST(ProgramLocationTest, AddTrailingBackslash) {
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash(""), "/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash("a"), "a/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash("a/"), "a/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash("/"), "/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash(R"("a b")"), "a b/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash(R"("a/")"), "a/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash(R"("")"), "/");
    EXPECT_EQ(ProgramLocation::AddTrailingBackslash(R"(")"), "/");
}

TEST(ProgramLocationTest, CurrentDirEndsWithOneSeparator) {
    {
        InDirectory root("/");
        EXPECT_EQ(ProgramLocation::GetCurrentDir(), "/");
    }
    {
        InDirectory tmp("/tmp");
        EXPECT_EQ(ProgramLocation::GetCurrentDir(),
                  std::filesystem::canonical("/tmp").string() + "/");
    }
    // A current directory that can no longer be read gives a lone separator.
    char removed[] = "/tmp/mirrak-cwd-XXXXXX";
    ASSERT_NE(mkdtemp(removed), nullptr);
    InDirectory gone(removed);
    ASSERT_EQ(rmdir(removed), 0);
    EXPECT_EQ(ProgramLocation::GetCurrentDir(), "/");
}

} // namespace
