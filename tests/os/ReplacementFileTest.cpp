// What every platform keeps: no lost data, nothing left behind, every refusal before a byte
// changes.
#include "platform/os/ReplacementFile.h"

#include "tests/support/Files.h"
#include "tests/support/Platform.h"

#include <cerrno>

namespace {

using namespace testing_support;

long Entries(const TempDir& dir) {
    return long(std::distance(fs::directory_iterator(dir.Path()), {}));
}

TEST(ReplacementFileTest, FailuresLeaveTheOldContentOrAnEmptyFileNeverAPart) {
    const TempDir dir;
    WriteFile(dir / "keep.txt", "old");
    WriteFile(dir / "inplace.txt", "old");
    fs::create_hard_link(dir / "inplace.txt", dir / "inplace2.txt");
    SetReadOnly(dir / "inplace.txt", true);
    // Abandoned after writing: a replacement leaves the target as it was, or not made at all.
    for (const char* name : {"keep.txt", "never.txt"}) {
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open((dir / name).string().c_str()), 0);
        EXPECT_TRUE(file.Begin() == 0 && file.Write("new", 3) == 0);
        file.Abandon();
        EXPECT_FALSE(file.LeftEmpty());
    }
    EXPECT_EQ(ReadFile(dir / "keep.txt"), "old");
    EXPECT_FALSE(fs::exists(dir / "never.txt"));
    // In place, abandoned before it was emptied, a file keeps content and read-only state;
    // abandoned once it was emptied, it is left empty, never partly written.
    for (const bool begun : {false, true}) {
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open((dir / "inplace.txt").string().c_str()), 0);
        EXPECT_EQ(file.Way(), platform::WriteWay::InPlace);
        EXPECT_TRUE(!begun || (file.Begin() == 0 && file.Write("new", 3) == 0));
        file.Abandon();
        EXPECT_EQ(file.LeftEmpty(), begun);
        EXPECT_EQ(ReadFile(dir / "inplace2.txt"), begun ? "" : "old");
        EXPECT_EQ(IsReadOnly(dir / "inplace.txt"), !begun);
    }
    EXPECT_EQ(Entries(dir), 3);

    // Where only a regular file may be written and a read-only one is refused (gen.cfg), names
    // that lead nowhere writable are refused before anything is made.
    WriteFile(dir / "locked.txt", "old");
    SetReadOnly(dir / "locked.txt", true);
    platform::ReplaceOptions files;
    files.allowStreams = false;
    files.clearReadOnly = false;
    const std::pair<std::string, int> refused[] = {
        {kNullDevice, platform::kNotRegularFile},
        {(dir / "locked.txt").string(), EACCES},
        {(dir / "no/such.txt").string(), ENOENT},
        {(dir / "keep.txt").string() + "/", EISDIR},
        {dir.Path().string(), EISDIR},
    };
    for (const auto& [name, error] : refused)
        EXPECT_EQ(platform::WriteWholeFile(name.c_str(), "new", 3, files), error) << name;
    EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
    EXPECT_TRUE(IsReadOnly(dir / "locked.txt"));
    EXPECT_EQ(Entries(dir), 4);
}

} // namespace
