#include "platform/os/ReplacementFile.h"

#include "tests/support/Files.h"
#include "tests/support/Platform.h"

#include <cerrno>

namespace {

using namespace testing_support;

// Where only a regular file may be written and a read-only one is refused (gen.cfg), names that
// lead nowhere writable are refused before anything is made. (What a failed write leaves: the
// batch-mode tests, which make writes fail.)
TEST(ReplacementFileTest, NamesThatLeadNowhereWritableAreRefusedBeforeAnythingIsMade) {
    const TempDir dir;
    WriteFile(dir / "keep.txt", "old");
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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);
}

} // namespace
