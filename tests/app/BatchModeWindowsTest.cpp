// Batch mode where only Windows has it: files have attributes and share modes, and the CryptoAPI
// provider or the move over the old file can fail.

#include "tests/app/BatchModeFixture.h"

#include <windows.h>

namespace {

using namespace testing_support;
using BatchModeWindowsTest = BatchModeFixture;

// A read-only file loses that attribute and keeps its others.
TEST_F(BatchModeWindowsTest, AReadOnlyTargetKeepsItsOtherAttributes) {
    const std::string out = (m_work / "out.txt").string();
    ASSERT_TRUE(SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Run({"count:3", "length:9", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 3, 9, kAlnum);
    EXPECT_EQ(GetFileAttributesA(out.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              DWORD(FILE_ATTRIBUTE_HIDDEN));
}

// A provider that cannot be acquired, a move that fails, a file that another program holds open
// without letting it be replaced: the old file stays as it was, read-only attribute included.
TEST_F(BatchModeWindowsTest, ARunThatCannotFinishLeavesTheOldFile) {
    for (const char* name : {"out.txt", "new.txt"})
        ExpectRefused({"count:3", name}, kExitRandomFailed, name,
                      Faults({{"MIRRAK_FAIL_ACQUIRE", "1"}}));
    SetReadOnly(m_work / "out.txt", true);
    m_mode = FileMode(m_work / "out.txt");
    ExpectRefused({"count:3", "out.txt"}, kExitWriteFailed, "out.txt",
                  Faults({{"MIRRAK_FAIL_MOVE", "1"}}));
    const HANDLE held = CreateFileA((m_work / "out.txt").string().c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectRefused({"count:3", "out.txt"}, kExitWriteFailed, "out.txt");
    CloseHandle(held);
    ExpectKept();
    EXPECT_TRUE(IsReadOnly(m_work / "out.txt"));
}

} // namespace
