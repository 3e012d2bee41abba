#include "platform/FileSystem.h"

#include "tests/TestSupport.h"

#include <fcntl.h>

namespace {

using namespace testing_support;

// Writes content through a ReplacementFile and commits it; without commit the file is abandoned
// as the ReplacementFile goes.
int Replace(const fs::path& path, const std::string& content, bool commit = true) {
    platform::ReplacementFile file;
    int error = file.Open(path.c_str());
    if (error == 0)
        error = file.Write(content.data(), content.size());
    return error != 0 || !commit ? error : file.Commit();
}

TEST(ReplacementFileTest, ACommittedWriteKeepsModesAndLinks) {
    const TempDir dir;
    for (const auto& [name, mode] : {std::pair{"shared.txt", 0640}, {"locked.txt", 0444}}) {
        WriteFile(dir / name, "old");
        fs::permissions(dir / name, fs::perms(mode));
    }
    fs::create_symlink("shared.txt", dir / "link.txt");
    for (const auto& [name, mode] : {std::pair{"new.txt", 0600u},
                                     {"shared.txt", 0640u},
                                     {"locked.txt", 0644u},
                                     {"link.txt", 0640u}}) {
        ASSERT_EQ(Replace(dir / name, name), 0) << name;
        EXPECT_EQ(ReadFile(dir / name), name);
        EXPECT_EQ(FileMode(dir / name), mode) << name;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 4); // no temporary is left
}

// A pipe stands for every file that is not a regular one, such as a device.
TEST(ReplacementFileTest, AnAbandonedWriteLeavesFilesAsTheyWereAndPipesWrittenInPlace) {
    const TempDir dir;
    WriteFile(dir / "keep.txt", "old");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0); // without a reader, opening the pipe to write would block
    for (const char* name : {"keep.txt", "never.txt", "pipe"})
        ASSERT_EQ(Replace(dir / name, "new", false), 0) << name;
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "old");
    char got[4] = {};
    EXPECT_EQ(read(reader, got, sizeof got), 3);
    EXPECT_STREQ(got, "new");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);
}

} // namespace
