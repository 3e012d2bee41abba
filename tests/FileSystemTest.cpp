#include "platform/FileSystem.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class ReplacementFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[] = "/tmp/mirrak-fs-XXXXXX";
        ASSERT_NE(mkdtemp(base), nullptr);
        m_dir = base;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Plant(const fs::path& path, const std::string& content, mode_t mode) {
        std::ofstream(path, std::ios::binary) << content;
        chmod(path.c_str(), mode);
    }
    static mode_t Mode(const fs::path& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    static int WriteAll(const fs::path& path, const std::string& content, bool commit = true) {
        platform::ReplacementFile file;
        if (const int error = file.Open(path.c_str()))
            return error;
        if (const int error = file.Write(content.data(), content.size()))
            return error;
        if (!commit) {
            file.Abandon();
            return 0;
        }
        return file.Commit();
    }

    fs::path m_dir;
};

TEST_F(ReplacementFileTest, NewFilesAreOwnerOnlyAndExistingFilesKeepTheirModeMadeWritable) {
    ASSERT_EQ(WriteAll(m_dir / "new.txt", "abc\r\n"), 0);
    EXPECT_EQ(Read(m_dir / "new.txt"), "abc\r\n");
    EXPECT_EQ(Mode(m_dir / "new.txt"), 0600u);

    Plant(m_dir / "shared.txt", "old", 0644);
    Plant(m_dir / "locked.txt", "old", 0444);
    ASSERT_EQ(WriteAll(m_dir / "shared.txt", "new"), 0);
    ASSERT_EQ(WriteAll(m_dir / "locked.txt", "new"), 0);
    EXPECT_EQ(Read(m_dir / "shared.txt"), "new");
    EXPECT_EQ(Mode(m_dir / "shared.txt"), 0644u);
    EXPECT_EQ(Read(m_dir / "locked.txt"), "new");
    EXPECT_EQ(Mode(m_dir / "locked.txt"), 0644u);
    EXPECT_EQ(Names(), (std::set<std::string>{"new.txt", "shared.txt", "locked.txt"}));
}

TEST_F(ReplacementFileTest, AnAbandonedWriteLeavesTheOldContentAndNoTrace) {
    Plant(m_dir / "keep.txt", "old content", 0640);
    ASSERT_EQ(WriteAll(m_dir / "keep.txt", "half of the new", false), 0);
    ASSERT_EQ(WriteAll(m_dir / "never.txt", "abandoned", false), 0);
    EXPECT_EQ(Read(m_dir / "keep.txt"), "old content");
    EXPECT_EQ(Names(), std::set<std::string>{"keep.txt"});
}

TEST_F(ReplacementFileTest, ALinkKeepsPointingAtItsReplacedFile) {
    fs::create_directory(m_dir / "real");
    Plant(m_dir / "real" / "target.txt", "old", 0600);
    fs::create_symlink("real/target.txt", m_dir / "link.txt");
    ASSERT_EQ(WriteAll(m_dir / "link.txt", "new"), 0);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.txt"));
    EXPECT_EQ(Read(m_dir / "real" / "target.txt"), "new");
}

TEST_F(ReplacementFileTest, DevicesAndPipesAreWrittenInPlaceAndNeverRemoved) {
    platform::ReplacementFile file;
    ASSERT_EQ(file.Open("/dev/null"), 0);
    EXPECT_EQ(file.FreeBytes(), SIZE_MAX);
    ASSERT_EQ(file.Write("x", 1), 0);
    file.Abandon();
    EXPECT_TRUE(fs::exists("/dev/null"));

    ASSERT_EQ(file.Open((m_dir / "room.txt").c_str()), 0);
    EXPECT_LT(file.FreeBytes(), SIZE_MAX);
}

TEST_F(ReplacementFileTest, AMissingFolderIsReported) {
    EXPECT_EQ(WriteAll(m_dir / "missing" / "out.txt", "x"), ENOENT);
    EXPECT_TRUE(Names().empty());
}

} // namespace
