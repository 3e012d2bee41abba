// Batch mode where only POSIX has it: pipes, file modes, other users and their links,
// a process killed part-way, a system without /proc.

#include "tests/app/BatchModeFixture.h"

#include <csignal>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testing_support;
using BatchModePosixTest = BatchModeFixture;

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A pipe cannot take bytes back: when an early fill fails nothing has gone through it (the
// passwords go out 256 KiB at a time); when a later one fails, the whole passwords of the good
// fills have gone, and stderr counts them.
TEST_F(BatchModePosixTest, APipeTakesOnlyPasswordsFromGoodFillsAndStderrCountsThem) {
    for (const int k : {2, 40}) {
        const ProgramSetup setup = FailingRandomFill(k);
        const ProgramRun run = RunProgram(setup.program, {"count:300000", "/dev/stdout"},
                                          m_work.Path(), setup.environment);
        EXPECT_EQ(run.status, kExitRandomFailed);
        const std::size_t lines = run.out.size() / 9;
        EXPECT_EQ(lines > 0, k == 40);
        ExpectPasswords(run.out, int(lines), 7, kAlnum);
        EXPECT_EQ(run.err,
                  "mirrak-generator: /dev/stdout: " +
                      (lines == 0 ? "no passwords written: the system's random source "
                                    "failed\n"
                                  : "no more passwords written: the system's random "
                                    "source failed after the first " +
                                        std::to_string(lines) + " passwords had gone out\n"));
    }
    ExpectKept();
}

// Killed as the new file is about to take the old one's place: the old file is as it was, and
// the copy left behind has a short name and is its owner's alone. Without /proc the file is
// written all the same, keeping its mode, with nothing left beside it.
TEST_F(BatchModePosixTest, AProcessKilledAtTheRenameLeavesTheOldFile) {
    fs::permissions(m_work / "out.txt", fs::perms(0640));
    m_mode = 0640;
    const std::vector<std::string> args = {"count:30000", "length:10", "out.txt"};
    for (const char* noProc : {"0", "1"}) {
        EXPECT_EQ(Run(args, Faults({{"MIRRAK_KILL_AT_RENAME", "1"}, {"MIRRAK_NO_PROC", noProc}})),
                  128 + SIGKILL);
        for (const auto& entry : fs::directory_iterator(m_work.Path())) {
            if (entry.path().filename() == "out.txt")
                continue;
            EXPECT_LT(entry.path().filename().string().size(), 40u) << entry.path();
            EXPECT_EQ(FileMode(entry.path()), 0600u) << entry.path();
            fs::remove(entry.path());
        }
        ExpectKept();
    }
    EXPECT_EQ(Run(args, Faults({{"MIRRAK_NO_PROC", "1"}})), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 30000, 10, kAlnum);
    EXPECT_EQ(FileMode(m_work / "out.txt"), 0640u);
    EXPECT_EQ(Entries(), 1);
}

// Run as the user nobody against files of others, in the user's folder and in a shared sticky
// folder such as /tmp; needs root to make the users' files.
TEST_F(BatchModePosixTest, OtherUsersFilesAndLinksAreNeverReplacedOrFollowedIntoATrap) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as other users";
    constexpr uid_t kUser = 65534, kOther = 65533;
    const ProgramSetup setpriv = {"/usr/bin/setpriv", {}};
    const auto asUser = [](std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--reuid=65534", "--regid=65534", "--clear-groups", MIRRAK_PROGRAM});
        return args;
    };
    const fs::path mine = m_work / "mine", shared = m_work / "shared", locked = m_work / "locked";
    for (const fs::path& folder : {mine, shared, locked})
        fs::create_directory(folder);
    fs::permissions(shared, fs::perms(01777));
    const auto make = [](const fs::path& path, uid_t owner, unsigned mode) {
        WriteFile(path, "theirs\n");
        EXPECT_EQ(chown(path.c_str(), owner, owner), 0);
        fs::permissions(path, fs::perms(mode));
    };
    EXPECT_EQ(chown(m_work.Path().c_str(), kUser, kUser), 0);
    EXPECT_EQ(chown(mine.c_str(), kUser, kUser), 0);
    make(mine / "root.txt", 0, 0644);         // another user's file in the user's folder
    make(mine / "theirs.txt", kOther, 0666);  // another user's file that the user may write
    make(mine / "readonly.txt", kUser, 0444); // the user's own read-only file
    make(mine / "victim.txt", kUser, 0600);
    make(shared / "planted.txt", kOther, 0666); // planted for the user in a shared folder
    fs::create_symlink("../mine/victim.txt", shared / "trap.txt");
    fs::create_symlink("../mine", shared / "trapdir");
    for (const char* trap : {"trap.txt", "trapdir"})
        EXPECT_EQ(lchown((shared / trap).c_str(), kOther, kOther), 0);
    fs::create_symlink("../mine/readonly.txt", shared / "rootlink.txt"); // the folder owner's
    make(locked / "target.txt", kUser, 0600); // the user's file in a folder they cannot write

    for (const char* name :
         {"mine/root.txt", "shared/planted.txt", "shared/trap.txt", "shared/trapdir/victim.txt"}) {
        ExpectRefused(asUser({"count:2", name}), kExitWriteFailed, name, setpriv);
        EXPECT_EQ(Output(name), "theirs\n") << name;
    }
    // Written in its place, another user's file keeps its owner.
    for (const char* name : {"shared/rootlink.txt", "mine/theirs.txt"})
        EXPECT_EQ(Run(asUser({"count:2", name}), setpriv), kExitWritten) << name << m_stderr;
    ExpectPasswords(Output("mine/readonly.txt"), 2, 7, kAlnum);
    EXPECT_EQ(FileMode(mine / "readonly.txt"), 0644u);
    ExpectPasswords(Output("mine/theirs.txt"), 2, 7, kAlnum);
    struct stat st {};
    EXPECT_TRUE(stat((mine / "theirs.txt").c_str(), &st) == 0 && st.st_uid == kOther);

    // In a folder the user cannot write, the file is written in its place.
    const ino_t inode = Inode(locked / "target.txt");
    EXPECT_EQ(Run(asUser({"count:3", "locked/target.txt"}), setpriv), kExitWritten) << m_stderr;
    ExpectPasswords(Output("locked/target.txt"), 3, 7, kAlnum);
    EXPECT_EQ(Inode(locked / "target.txt"), inode);
}

// The usage or the version that cannot be written out is a failure, said in one line on stderr.
TEST_F(BatchModePosixTest, InfoThatCannotBeWrittenIsAFailure) {
    for (const char* option : {"--help", "--version"}) {
        const ProgramRun run =
            RunProgram("/bin/sh", {"-c", R"(exec "$0" "$1" >/dev/full)", MIRRAK_PROGRAM, option},
                       m_work.Path());
        EXPECT_EQ(run.status, kExitWriteFailed) << option;
        EXPECT_THAT(run.err, testing::MatchesRegex("mirrak-generator: standard output: .+\n"));
    }
}

} // namespace
