// What only POSIX has: modes, symbolic links, pipes, name lengths.
#include "platform/os/ReplacementFile.h"
#include "tests/support/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace testing_support;
using platform::WriteWay;

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct Case {
    const char* name;
    WriteWay way;
    unsigned mode;
};

// A new file is its owner's alone, an old one keeps its mode (a read-only one gains its owner's
// write permission) and is replaced by a new file; a link of the user's own is followed, dangling
// or through another, and stays; a pipe takes the bytes as they come.
TEST(ReplacementFilePosixTest, EachTargetIsWrittenItsWayAndKeepsItsMode) {
    const TempDir dir;
    WriteFile(dir / "shared.txt", "old");
    fs::permissions(dir / "shared.txt", fs::perms(0640));
    WriteFile(dir / "locked.txt", "old");
    fs::permissions(dir / "locked.txt", fs::perms(0444));
    fs::create_symlink("shared.txt", dir / "link.txt");
    fs::create_directory(dir / "sub");
    fs::create_symlink("./sub/../sub/dest.txt", dir / "dangling.txt");
    fs::create_symlink(dir / "dangling.txt", dir / "chain.txt");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0); // without a reader, opening the pipe to write would block

    // The old file stays open, so that its inode number cannot be taken by a new file.
    const int old = open((dir / "shared.txt").c_str(), O_RDONLY | O_CLOEXEC);
    const ino_t shared = Inode(dir / "shared.txt");
    const std::string longest(255, 'n');
    for (const Case& c :
         {Case{"new.txt", WriteWay::Replace, 0600}, Case{longest.c_str(), WriteWay::Replace, 0600},
          Case{"shared.txt", WriteWay::Replace, 0640}, Case{"locked.txt", WriteWay::Replace, 0644},
          Case{"link.txt", WriteWay::Replace, 0640}, Case{"chain.txt", WriteWay::Replace, 0600},
          Case{"pipe", WriteWay::Stream, 0600}}) {
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open((dir / c.name).c_str()), 0) << c.name;
        EXPECT_EQ(file.Way(), c.way) << c.name;
        const std::string content = std::string(c.name).append(8, '.').substr(0, 8);
        EXPECT_TRUE(file.Begin() == 0 && file.Write(content.data(), content.size()) == 0 &&
                    file.Commit() == 0);
        if (c.way == WriteWay::Stream)
            continue;
        EXPECT_EQ(ReadFile(dir / c.name), content) << c.name;
        EXPECT_EQ(FileMode(dir / c.name), c.mode) << c.name;
    }
    char got[9] = {};
    EXPECT_EQ(read(reader, got, 8), 8);
    EXPECT_STREQ(got, "pipe....");
    EXPECT_NE(Inode(dir / "shared.txt"), shared);
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt") && fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(ReadFile(dir / "sub/dest.txt"), "chain.tx");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 9); // no temporary is left
    close(reader);
    close(old);

    // A link into a missing folder is refused before anything is made.
    fs::create_symlink("missing/dest.txt", dir / "nowhere.txt");
    EXPECT_EQ(platform::ReplacementFile().Open((dir / "nowhere.txt").c_str()), ENOENT);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 10);
}

} // namespace
