// Batch mode on Windows: the command line is one text, files have attributes and share modes, and
// a test build of the program makes the CryptoAPI and the file calls fail.

#include "tests/app/BatchModeFixture.h"
#include "tests/app/Passwords.h"

#include <windows.h>

namespace {

using namespace testing_support;

class BatchModeWindowsTest : public BatchModeFixture {
protected:
    // The test build of the program with the given failure switched on.
    static ProgramSetup Failing(const char* variable, const char* value = "1") {
        return {MIRRAK_FAULT_PROGRAM, {{variable, value}}};
    }
    DWORD Attributes(const std::string& name = "out.txt") {
        return GetFileAttributesA((m_work / name).string().c_str());
    }
};

// The program splits its own command-line text: blanks separate, double quotes group a name.
TEST_F(BatchModeWindowsTest, TheCommandLineTextIsSplitByItsOwnRules) {
    EXPECT_EQ(Run({"count:2", R"("a b.txt")", "length:3"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("a b.txt"), 2, 3, kAlnum);
    EXPECT_EQ(Run({"first.txt", "  ", "COUNT:3", "second.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("second.txt"), 3, 7, kAlnum);
    EXPECT_FALSE(fs::exists(m_work / "first.txt"));
}

TEST_F(BatchModeWindowsTest, AProviderThatCannotBeAcquiredWritesNothing) {
    for (const char* name : {"out.txt", "new.txt"})
        ExpectRefused({"count:3", name}, kExitRandomFailed, name, Failing("MIRRAK_FAIL_ACQUIRE"));
    ExpectKept();
}

// A write, flush or move that fails leaves the old file as it was, read-only attribute included,
// and no temporary beside it.
TEST_F(BatchModeWindowsTest, AFailedWriteFlushOrMoveLeavesTheOldFile) {
    SetReadOnly(m_work / "out.txt", true);
    const std::vector<std::string> args = {"count:30000", "length:10", "out.txt"};
    for (const char* variable : {"MIRRAK_FAIL_WRITE", "MIRRAK_FAIL_FLUSH", "MIRRAK_FAIL_MOVE"}) {
        ExpectRefused(args, kExitWriteFailed, "out.txt", Failing(variable, "100000"));
        ExpectKept();
        EXPECT_TRUE(IsReadOnly(m_work / "out.txt")) << variable;
    }
    // In place (a second name), a write that fails part-way leaves the file empty and says so.
    fs::create_hard_link(m_work / "out.txt", m_work / "second.txt");
    ExpectRefused(args, kExitWriteFailed, "out.txt", Failing("MIRRAK_FAIL_WRITE", "100000"));
    EXPECT_NE(m_stderr.find("empty"), std::string::npos) << m_stderr;
    EXPECT_EQ(Output("second.txt"), "");
}

// A read-only file loses that attribute and keeps its others; a file that another program holds
// open without letting it be replaced is refused and kept.
TEST_F(BatchModeWindowsTest, AttributesAndShareModesOfTheTarget) {
    const std::string out = (m_work / "out.txt").string();
    ASSERT_TRUE(SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Run({"count:3", "length:9", "out.txt"}), kExitWritten) << m_stderr;
    EXPECT_EQ(Output().size(), 3u * 11u);
    EXPECT_EQ(Attributes() & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              DWORD(FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_NORMAL));

    WriteFile(m_work / "out.txt", "keep me\n");
    const HANDLE held = CreateFileA(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectRefused({"count:3", "out.txt"}, kExitWriteFailed, "out.txt");
    CloseHandle(held);
    ExpectKept();
}

} // namespace
