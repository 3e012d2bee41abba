// The rules every platform keeps: the way each target is written, no lost data, nothing left
// behind, every refusal before a byte changes.
#include "platform/os/ReplacementFile.h"

#include "tests/support/Files.h"
#include "tests/support/Platform.h"

#include <cerrno>

namespace {

using namespace testing_support;
using platform::WriteWay;

std::size_t Entries(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), {}));
}

int WriteWhole(const fs::path& path, const std::string& content,
               platform::ReplaceOptions options = {}) {
    return platform::WriteWholeFile(path.string().c_str(), content.data(), content.size(), options);
}

TEST(ReplacementFileTest, EachTargetIsWrittenItsWay) {
    const TempDir dir;
    WriteFile(dir / "old.txt", "old");
    WriteFile(dir / "locked.txt", "old");
    SetReadOnly(dir / "locked.txt", true);
    WriteFile(dir / "linked.txt", "old");
    fs::create_hard_link(dir / "linked.txt", dir / "other-name.txt");
    const std::pair<std::string, WriteWay> cases[] = {
        {"new.txt", WriteWay::Replace},    {"old.txt", WriteWay::Replace},
        {"locked.txt", WriteWay::Replace}, {"linked.txt", WriteWay::InPlace},
        {kNullDevice, WriteWay::Stream},
    };
    for (const auto& [name, way] : cases) {
        const std::string path = way == WriteWay::Stream ? name : (dir / name).string();
        platform::ReplacementFile file;
        ASSERT_EQ(file.Open(path.c_str()), 0) << name;
        EXPECT_EQ(file.Way(), way) << name;
        EXPECT_EQ(file.Begin(), 0);
        const std::string content = (name + "........").substr(0, 8);
        EXPECT_EQ(file.Write(content.data(), content.size()), 0);
        EXPECT_EQ(file.Commit(), 0) << name;
        if (way == WriteWay::Stream)
            continue;
        EXPECT_EQ(ReadFile(dir / name), content) << name;
        EXPECT_FALSE(IsReadOnly(dir / name)) << name;
    }
    EXPECT_EQ(ReadFile(dir / "other-name.txt"), "linked.t"); // one file, written in its place
    EXPECT_EQ(Entries(dir.Path()), 5u);                      // no temporary is left
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
        EXPECT_EQ(file.Begin(), 0);
        EXPECT_EQ(file.Write("new", 3), 0);
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
        EXPECT_EQ(file.Way(), WriteWay::InPlace);
        if (begun) {
            EXPECT_EQ(file.Begin(), 0);
            EXPECT_EQ(file.Write("new", 3), 0);
        }
        file.Abandon();
        EXPECT_EQ(file.LeftEmpty(), begun);
        EXPECT_EQ(ReadFile(dir / "inplace2.txt"), begun ? "" : "old");
        EXPECT_EQ(IsReadOnly(dir / "inplace.txt"), !begun);
    }
    EXPECT_EQ(Entries(dir.Path()), 3u);

    // Names that lead nowhere writable are refused before anything is made.
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
        EXPECT_EQ(WriteWhole(name, "new", files), error) << name;
    EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
    EXPECT_TRUE(IsReadOnly(dir / "locked.txt"));
    EXPECT_EQ(Entries(dir.Path()), 4u);
}

} // namespace
