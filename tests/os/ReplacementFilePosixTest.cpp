// What only POSIX has: modes, symbolic links, pipes, other users, resource limits.
#include "platform/os/ReplacementFile.h"
#include "tests/support/Files.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testing_support;
using platform::WriteWay;

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::size_t Entries(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), {}));
}

// Files may grow to limit bytes while it lives: a longer write fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit now{limit, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &now);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

struct Case {
    const char* name;
    WriteWay way;
    unsigned mode;
};

TEST(ReplacementFilePosixTest, EachTargetIsWrittenItsWayAndKeepsItsModeAndIdentity) {
    const TempDir dir;
    WriteFile(dir / "shared.txt", "old");
    fs::permissions(dir / "shared.txt", fs::perms(0640));
    WriteFile(dir / "locked.txt", "old");
    fs::permissions(dir / "locked.txt", fs::perms(0444));
    WriteFile(dir / "linked.txt", "old");
    fs::create_hard_link(dir / "linked.txt", dir / "other-name.txt");
    fs::create_symlink("shared.txt", dir / "link.txt");
    fs::create_directory(dir / "sub");
    fs::create_symlink("./sub/../sub/dest.txt", dir / "dangling.txt"); // the user's own
    fs::create_symlink(dir / "dangling.txt", dir / "chain.txt");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0); // without a reader, opening the pipe to write would block

    // The old file stays open, so that its inode number cannot be taken by a new file.
    const int old = open((dir / "shared.txt").c_str(), O_RDONLY | O_CLOEXEC);
    const ino_t linked = Inode(dir / "linked.txt"), shared = Inode(dir / "shared.txt");
    const std::string longest(255, 'n');
    for (const Case& c :
         {Case{"new.txt", WriteWay::Replace, 0600}, Case{longest.c_str(), WriteWay::Replace, 0600},
          Case{"shared.txt", WriteWay::Replace, 0640}, Case{"locked.txt", WriteWay::Replace, 0644},
          Case{"link.txt", WriteWay::Replace, 0640}, Case{"linked.txt", WriteWay::InPlace, 0644},
          Case{"chain.txt", WriteWay::Replace, 0600}, Case{"pipe", WriteWay::Stream, 0600}}) {
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open((dir / c.name).c_str()), 0) << c.name;
        EXPECT_EQ(file.Way(), c.way) << c.name;
        EXPECT_EQ(file.Begin(), 0);
        const std::string content = std::string(c.name).append(8, '.').substr(0, 8);
        EXPECT_EQ(file.Write(content.data(), content.size()), 0);
        EXPECT_EQ(file.Commit(), 0);
        if (c.way == WriteWay::Stream)
            continue;
        EXPECT_EQ(ReadFile(dir / c.name), content) << c.name;
        EXPECT_EQ(FileMode(dir / c.name), c.mode) << c.name;
    }
    char got[9] = {};
    EXPECT_EQ(read(reader, got, 8), 8);
    EXPECT_STREQ(got, "pipe....");
    EXPECT_EQ(ReadFile(dir / "other-name.txt"), "linked.t"); // one file, written in its place
    EXPECT_EQ(Inode(dir / "linked.txt"), linked);
    EXPECT_NE(Inode(dir / "shared.txt"), shared); // replaced by a new file
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt") && fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(ReadFile(dir / "sub/dest.txt"), "chain.tx");
    EXPECT_EQ(Entries(dir.Path()), 11u); // no temporary is left
    close(reader);
    close(old);
}

TEST(ReplacementFilePosixTest, FailuresLeaveTheOldContentOrAnEmptyFileNeverAPart) {
    const TempDir dir;
    const std::string big(8192, 'x');
    WriteFile(dir / "keep.txt", "old");
    WriteFile(dir / "inplace.txt", "old");
    fs::permissions(dir / "inplace.txt", fs::perms(0444));
    fs::create_hard_link(dir / "inplace.txt", dir / "inplace2.txt");
    {
        const FileSizeLimit limit(4096);
        for (const char* name : {"keep.txt", "never.txt", "inplace.txt"}) {
            platform::ReplacementFile file;
            ASSERT_EQ(file.Open((dir / name).c_str()), 0);
            EXPECT_EQ(file.Begin(), 0);
            EXPECT_EQ(file.Write(big.data(), big.size()), EFBIG) << name;
            file.Abandon();
            EXPECT_EQ(file.LeftEmpty(), name == std::string("inplace.txt"));
        }
    }
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "old");
    EXPECT_FALSE(fs::exists(dir / "never.txt"));
    EXPECT_EQ(ReadFile(dir / "inplace2.txt"), "");
    // Abandoned before it was emptied, a file written in place keeps content and mode.
    WriteFile(dir / "inplace2.txt", "old");
    fs::permissions(dir / "inplace.txt", fs::perms(0444));
    {
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open((dir / "inplace.txt").c_str()), 0);
        EXPECT_EQ(file.Way(), WriteWay::InPlace);
    }
    EXPECT_EQ(ReadFile(dir / "inplace.txt"), "old");
    EXPECT_EQ(FileMode(dir / "inplace.txt"), 0444u);
    EXPECT_EQ(Entries(dir.Path()), 3u);

    // Names that lead nowhere writable are refused before anything is made.
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0); // no reader: opening it would block
    platform::ReplaceOptions files;
    files.allowStreams = false;
    files.clearReadOnly = false;
    fs::create_symlink("missing/dest.txt", dir / "nowhere.txt");
    const std::pair<std::string, int> refused[] = {
        {"pipe", platform::kNotRegularFile},
        {"inplace.txt", EACCES},
        {"nowhere.txt", ENOENT},
        {"no/such.txt", ENOENT},
        {"keep.txt/", EISDIR},
        {".", EISDIR},
        {std::string(256, 'n'), ENAMETOOLONG},
    };
    for (const auto& [name, error] : refused)
        EXPECT_EQ(platform::WriteWholeFile((dir / name).c_str(), "new", 3, files), error) << name;
    EXPECT_EQ(ReadFile(dir / "inplace.txt"), "old");
    EXPECT_EQ(Entries(dir.Path()), 5u);
}

// As root, files and links of other users can be made: another user's link or file in a sticky,
// world-writable folder is a trap, and is neither followed nor written.
TEST(ReplacementFilePosixTest, LinksAndFilesOfOtherUsersInASharedFolderAreRefused) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make files of other users";
    constexpr uid_t kOther = 65533;
    const TempDir dir;
    const fs::path shared = dir / "shared", mine = dir / "mine";
    fs::create_directory(shared);
    fs::create_directory(mine);
    fs::permissions(shared, fs::perms(01777));
    WriteFile(mine / "victim.txt", "mine");
    fs::create_symlink("../mine/victim.txt", shared / "trap.txt");
    fs::create_symlink("../mine", shared / "trapdir");
    fs::create_symlink("../mine/victim.txt", shared / "folder-owners.txt");
    WriteFile(shared / "planted.txt", "theirs");
    WriteFile(mine / "theirs.txt", "theirs");
    for (const char* name : {"shared/trap.txt", "shared/trapdir"})
        ASSERT_EQ(lchown((dir / name).c_str(), kOther, kOther), 0);
    ASSERT_EQ(chown((shared / "planted.txt").c_str(), kOther, kOther), 0);
    ASSERT_EQ(chown((mine / "theirs.txt").c_str(), kOther, kOther), 0);

    const std::pair<const char*, int> cases[] = {
        {"shared/trap.txt", platform::kUnsafeLink},
        {"shared/trapdir/victim.txt", platform::kUnsafeLink},
        {"shared/planted.txt", platform::kForeignFile},
        {"shared/folder-owners.txt", 0},
        {"mine/theirs.txt", 0}, // another user's file where it may be written: in its place
    };
    for (const auto& [name, error] : cases)
        EXPECT_EQ(platform::WriteWholeFile((dir / name).c_str(), "new", 3), error) << name;
    EXPECT_EQ(ReadFile(shared / "planted.txt"), "theirs");
    EXPECT_EQ(ReadFile(mine / "victim.txt"), "new");
    EXPECT_EQ(ReadFile(mine / "theirs.txt"), "new");
    struct stat st {};
    ASSERT_EQ(stat((mine / "theirs.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOther); // it keeps its owner
}

} // namespace
