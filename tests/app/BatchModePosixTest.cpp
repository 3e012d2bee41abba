// Runs the built program in batch mode as a user would through the shell, for what only POSIX has:
// argv words, pipes, symbolic links, file modes, other users, resource limits, and system calls
// made to fail by a preloaded library.

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"
#include "tests/app/Passwords.h"
#include "tests/support/Files.h"

#include <csignal>
#include <cstdlib>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace testing_support;

const std::string kFaultShim = MIRRAK_TEST_BINARY_DIR "/FaultShim.so";

class BatchModePosixTest : public ::testing::Test {
protected:
    // Every test starts with "out.txt", which a refused run must leave as it is.
    void SetUp() override {
        fs::create_directory(m_work);
        WriteFile(m_work / "out.txt", "keep me\n");
        fs::permissions(m_work / "out.txt", fs::perms(0640));
    }
    void ExpectKept() {
        EXPECT_EQ(Output(), "keep me\n");
        EXPECT_EQ(FileMode(m_work / "out.txt"), 0640u);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 1);
    }
    std::string Output(const std::string& name = "out.txt") { return ReadFile(m_work / name); }

    // Runs the program in the working folder through the shell after setup (commands or variable
    // assignments) with args that hold no single quote; returns its exit status and keeps what it
    // printed on stderr in m_stderr. It never prints on stdout.
    int Run(const std::vector<std::string>& args, const std::string& setup = "") {
        const int status = RunCommand(args, setup, " >../stdout");
        EXPECT_EQ(ReadFile(m_tmp / "stdout"), "");
        return status;
    }
    // As Run, with the program's stdout going through a pipe into m_stdout.
    int RunIntoPipe(const std::vector<std::string>& args, const std::string& setup = "") {
        const int status = RunCommand(args, setup, " | cat >../stdout");
        m_stdout = ReadFile(m_tmp / "stdout");
        return status;
    }
    int RunCommand(const std::vector<std::string>& args, const std::string& setup,
                   const std::string& output) {
        std::string command = "cd '" + m_work.string() + "' || exit 127; (" + setup +
                              " timeout 120 '" MIRRAK_PROGRAM "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " 2>../stderr; echo $? >../status)" + output;
        std::system(command.c_str());
        m_stderr = ReadFile(m_tmp / "stderr");
        const std::string status = ReadFile(m_tmp / "status");
        return status.empty() ? -1 : std::stoi(status);
    }
    // Runs args expecting the exit status and one line on stderr that names the file.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& name,
                       const std::string& setup = "") {
        EXPECT_EQ(Run(args, setup), status) << m_stderr;
        EXPECT_LT(m_stderr.find(name), m_stderr.find('\n')) << m_stderr;
        EXPECT_EQ(m_stderr.find('\n'), m_stderr.size() - 1) << m_stderr;
    }

    TempDir m_tmp;
    const fs::path m_work = m_tmp / "work";
    std::string m_stdout, m_stderr;
};

// Environment assignments that preload the fault shim with the given settings.
std::string Faults(const std::string& settings) {
    // A sanitizer runtime would otherwise refuse to start after a preloaded library.
    return "LD_PRELOAD='" + kFaultShim +
           "' ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" " + settings;
}

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(BatchModePosixTest, AWriteThatFailsPartWayTouchesNothing) {
    for (const char* name : {"out.txt", "new.txt"}) {
        // A file may grow to a few kilobytes only: the write fails part-way.
        ExpectRefused({"count:1000", "length:100", name}, kExitWriteFailed, name,
                      "trap '' XFSZ; ulimit -f 8;");
    }
    ExpectKept();
}

// A pipe cannot take bytes back: the first fill fails, so nothing goes through it; a later one
// fails, so the whole passwords of the good fills go, and stderr counts them.
TEST_F(BatchModePosixTest, APipeTakesOnlyPasswordsFromGoodFills) {
    ASSERT_TRUE(fs::exists(kFaultShim));
    // Fill k of a run of 300,000 passwords (129 fills, fetched ahead) fails: nothing goes through
    // before the first 256 KiB are made.
    for (const std::string k : {"1", "2", "3"}) {
        EXPECT_EQ(
            RunIntoPipe({"count:300000", "/dev/stdout"}, Faults("MIRRAK_FAIL_GETRANDOM=" + k)),
            kExitRandomFailed);
        EXPECT_EQ(m_stdout, "");
        EXPECT_EQ(m_stderr,
                  "mirrak-generator: /dev/stdout: no passwords written: the system's random "
                  "source failed\n");
    }
    EXPECT_EQ(RunIntoPipe({"count:300000", "/dev/stdout"}, Faults("MIRRAK_FAIL_GETRANDOM=40")),
              kExitRandomFailed);
    const std::size_t lines = m_stdout.size() / 9;
    EXPECT_GT(lines, 0u);
    ExpectPasswords(m_stdout, int(lines), 7, kAlnum);
    EXPECT_EQ(m_stderr, "mirrak-generator: /dev/stdout: no more passwords written: the system's "
                        "random source failed after the first " +
                            std::to_string(lines) + " passwords had gone out\n");
    ExpectKept();
}

TEST_F(BatchModePosixTest, AFailedWriteFlushOrRenameLeavesTheOldFileOrAnEmptyOne) {
    ASSERT_TRUE(fs::exists(kFaultShim));
    const std::vector<std::string> args = {"count:30000", "length:10", "out.txt"};
    ExpectRefused(args, kExitWriteFailed, "out.txt", Faults("MIRRAK_FAIL_WRITE=100000"));
    ExpectRefused(args, kExitWriteFailed, "out.txt", Faults("MIRRAK_FAIL_FSYNC=1"));
    ExpectKept();

    // Killed as the temporary file is about to take the target's place: the target is as it
    // was, and the copy left behind has a short name and is its owner's alone.
    for (const char* noProc : {"0", "1"}) {
        EXPECT_EQ(Run(args, Faults("MIRRAK_KILL_AT_RENAME=1 MIRRAK_NO_PROC=") + noProc),
                  128 + SIGKILL);
        for (const auto& entry : fs::directory_iterator(m_work)) {
            if (entry.path().filename() == "out.txt")
                continue;
            EXPECT_LT(entry.path().filename().string().size(), 40u) << entry.path();
            EXPECT_EQ(FileMode(entry.path()), 0600u) << entry.path();
            fs::remove(entry.path());
        }
        ExpectKept();
    }
    // Without /proc the file is written all the same and nothing is left beside it.
    EXPECT_EQ(Run(args, Faults("MIRRAK_NO_PROC=1")), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 30000, 10, kAlnum);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 1);

    // In place, a write that fails part-way leaves an empty file, never a part, and says so.
    fs::create_hard_link(m_work / "out.txt", m_work / "second.txt");
    ExpectRefused(args, kExitWriteFailed, "out.txt", Faults("MIRRAK_FAIL_WRITE=100000"));
    EXPECT_NE(m_stderr.find("empty"), std::string::npos) << m_stderr;
    EXPECT_EQ(Output("second.txt"), "");
    EXPECT_EQ(Run(args), kExitWritten);
    EXPECT_EQ(Output("second.txt"), Output()); // one file under two names
}

TEST_F(BatchModePosixTest, NamesOfAnyValidLengthAndLinksLeadWhereTheyPoint) {
    const std::string longest(255, 'n');
    EXPECT_EQ(Run({"count:2", longest}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(longest), 2, 7, kAlnum);
    ExpectRefused({"count:2", longest + "n"}, kExitWriteFailed, longest + "n");

    // A dangling link of the user's own: its destination is created, the link stays.
    fs::create_directory(m_work / "sub");
    fs::create_symlink("sub/dest.txt", m_work / "link.txt");
    EXPECT_EQ(Run({"count:2", "link.txt"}), kExitWritten) << m_stderr;
    EXPECT_TRUE(fs::is_symlink(m_work / "link.txt"));
    ExpectPasswords(Output("sub/dest.txt"), 2, 7, kAlnum);
    EXPECT_EQ(FileMode(m_work / "sub/dest.txt"), 0600u);
}

// Runs as another user (nobody) against files of others, in a user's folder and in a shared
// sticky folder such as /tmp; needs root to make the users' files.
TEST_F(BatchModePosixTest, OtherUsersFilesAndLinksAreNeverReplacedOrFollowedIntoATrap) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as other users";
    constexpr uid_t kUser = 65534, kOther = 65533;
    const std::string asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    fs::permissions(m_tmp.Path(), fs::perms(0755));
    const fs::path mine = m_work / "mine", shared = m_work / "shared", locked = m_work / "locked";
    fs::create_directory(mine);
    fs::create_directory(shared);
    fs::create_directory(locked);
    fs::permissions(shared, fs::perms(01777));
    auto make = [](const fs::path& path, uid_t owner, unsigned mode) {
        WriteFile(path, "theirs\n");
        EXPECT_EQ(chown(path.c_str(), owner, owner), 0);
        fs::permissions(path, fs::perms(mode));
    };
    EXPECT_EQ(chown(m_work.c_str(), kUser, kUser), 0);
    EXPECT_EQ(chown(mine.c_str(), kUser, kUser), 0);
    make(mine / "root.txt", 0, 0644);         // another user's file in the user's folder
    make(mine / "readonly.txt", kUser, 0444); // the user's own read-only file
    make(mine / "victim.txt", kUser, 0600);
    make(shared / "planted.txt", kOther, 0666); // planted for the user in a shared folder
    fs::create_symlink("../mine/victim.txt", shared / "trap.txt");
    EXPECT_EQ(lchown((shared / "trap.txt").c_str(), kOther, kOther), 0);
    fs::create_symlink("../mine/readonly.txt", shared / "rootlink.txt"); // the folder owner's
    make(locked / "target.txt", kUser, 0600); // the user's file in a folder they cannot write

    for (const char* name : {"mine/root.txt", "shared/planted.txt", "shared/trap.txt"}) {
        ExpectRefused({"count:2", name}, kExitWriteFailed, name, asUser);
        EXPECT_EQ(Output(name), "theirs\n") << name;
    }
    EXPECT_EQ(Output("mine/victim.txt"), "theirs\n");
    EXPECT_EQ(Run({"count:2", "shared/rootlink.txt"}, asUser), kExitWritten) << m_stderr;
    ExpectPasswords(Output("mine/readonly.txt"), 2, 7, kAlnum);
    EXPECT_EQ(FileMode(mine / "readonly.txt"), 0644u);

    // In a folder the user cannot write, every refusal comes before the file changes.
    const ino_t inode = Inode(locked / "target.txt");
    ExpectRefused({"count:99999999999", "length:99999999999", "locked/target.txt"}, kExitTooLarge,
                  "locked/target.txt", asUser);
    ExpectRefused({"count:300000", "locked/target.txt"}, kExitRandomFailed, "locked/target.txt",
                  Faults("MIRRAK_FAIL_GETRANDOM=10 ") + asUser);
    EXPECT_EQ(Output("locked/target.txt"), "theirs\n");
    EXPECT_EQ(Run({"count:3", "locked/target.txt"}, asUser), kExitWritten) << m_stderr;
    ExpectPasswords(Output("locked/target.txt"), 3, 7, kAlnum);
    EXPECT_EQ(Inode(locked / "target.txt"), inode);
    fs::remove_all(mine);
    fs::remove_all(shared);
    fs::remove_all(locked);
}

// The shell has split the words already: each argument is one token, and a name is the file's
// name exactly as typed, quotes, backslashes and blanks included.
TEST_F(BatchModePosixTest, EachArgumentIsOneTokenAndANameIsTakenAsTyped) {
    EXPECT_EQ(Run({R"(my "q" f.txt)"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(R"(my "q" f.txt)"), 1, 7, kAlnum);
    EXPECT_EQ(Run({R"(a b\)", "count:3", "out"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("out"), 3, 7, kAlnum);
    const std::string xy = kLower + "x y";
    EXPECT_EQ(Run({R"(symbols:a"x y")", "count:3", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 3, 7, xy);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 3); // no other name was written
    // 600 draws from 29 characters give the blank of the set.
    EXPECT_EQ(Run({R"(symbols:a"x y")", "count:3", "length:200", "out.txt"}), kExitWritten);
    ExpectPasswords(Output(), 3, 200, xy);
    EXPECT_NE(Output().find(' '), std::string::npos);
}

// The usage that cannot be written out is a failure, said in one line on stderr.
TEST_F(BatchModePosixTest, InfoThatCannotBeWrittenIsAFailure) {
    for (const char* option : {"--help", "--version"}) {
        EXPECT_EQ(RunCommand({option}, "", " >/dev/full"), kExitWriteFailed) << option;
        EXPECT_THAT(m_stderr, testing::MatchesRegex("mirrak-generator: standard output: .+\n"));
    }
}

} // namespace
