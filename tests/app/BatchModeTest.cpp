// Runs the built program in batch mode as a user would, on POSIX and on Windows alike: a real
// command line in a fresh working folder, then checks the files it leaves, its exit status and
// what it prints.

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"
#include "tests/app/BatchModeFixture.h"
#include "tests/app/Passwords.h"

namespace {

using namespace testing_support;

class BatchModeTest : public BatchModeFixture {};

TEST_F(BatchModeTest, WritesThePasswordsAndLeavesGenCfgAlone) {
    GeneratorSettings stored; // a gen.cfg that asks for something else
    stored.SetDefaults();
    stored.m_nQuantity = 4;
    ASSERT_TRUE(stored.Save((m_work / "gen.cfg").string().c_str()));
    const std::string cfg = Output("gen.cfg");
    EXPECT_EQ(Run({"out.txt"}), kExitWritten);
    EXPECT_EQ(m_stderr, "");
    ExpectPasswords(Output(), 1, 7, kAlnum);
    EXPECT_EQ(Run({"count:5", "length:16", "new.txt"}), kExitWritten);
    EXPECT_EQ(Output("new.txt").size(), 5u * 18u);
    ExpectPasswords(Output("new.txt"), 5, 16, kAlnum);
    EXPECT_EQ(Run({"count:3", kNullDevice}), kExitWritten) << m_stderr;
    EXPECT_EQ(Run({"count:2", NameArgument("my passwords.txt")}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("my passwords.txt"), 2, 7, kAlnum);
    EXPECT_EQ(Output("gen.cfg"), cfg);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_work.Path()), {}), 4);
}

// The classes and the special symbols make the alphabet; a character of the set is drawn whole,
// as the platform's code page has it (a UTF-8 sequence on POSIX, one byte on Windows).
TEST_F(BatchModeTest, SymbolsChooseTheAlphabetOfWholeCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"symbols:A0", kUpper + "0123456789"},
        {R"(symbols:a"#$%")", kLower + "#$%"},
        {R"(symbols:a"€é")", kLower + "€é"},
    };
    for (const auto& [option, alphabet] : cases) {
        EXPECT_EQ(Run({option, "count:40", "length:50", "out.txt"}), kExitWritten) << option;
        ExpectPasswords(Output(), 40, 50, alphabet, true); // 2000 draws show every character
    }
}

TEST_F(BatchModeTest, ARefusedRunTouchesNothing) {
    // No output file: the window would open, and cannot.
    const ProgramSetup noDisplay = {
        MIRRAK_PROGRAM, {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}, {"QT_QPA_PLATFORM", {}}}};
    ExpectRefused({"count:5", NameArgument("")}, kExitUsage,
                  kNoWindowReason + "; usage: ", noDisplay);
    ExpectRefused({"symbols:", "out.txt"}, kExitEmptyAlphabet, "out.txt");
    ExpectRefused({NameArgument("no such dir/out.txt")}, kExitWriteFailed, "no such dir/out.txt");
    for (const char* name : {"out.txt", "new.txt"})
        ExpectRefused({"count:99999999999", "length:99999999999", name}, kExitTooLarge, name);
    ExpectKept();
}

TEST_F(BatchModeTest, NoPasswordLeavesFromBytesTheSystemNeverSupplied) {
    for (const char* name : {"out.txt", "new.txt"})
        ExpectRefused({"count:3", name}, kExitRandomFailed, name, FailingRandomFill(1));
    // Fill k of a run of 300,000 passwords (129 fills, fetched ahead) fails: nothing of the
    // earlier fills reaches the file either.
    for (const int k : {1, 2, 3, 20})
        for (const char* name : {"out.txt", "new.txt"})
            ExpectRefused({"count:300000", name}, kExitRandomFailed, name, FailingRandomFill(k));
    ExpectKept();
}

// A read-only file is replaced and loses only that; a file with two names is written in its
// place, so that both names see the new passwords, and only once all of them were made.
TEST_F(BatchModeTest, ReadOnlyAndLinkedTargetsAreWritten) {
    SetReadOnly(m_work / "out.txt", true);
    EXPECT_EQ(Run({"count:3", "length:9", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 3, 9, kAlnum);
    EXPECT_FALSE(IsReadOnly(m_work / "out.txt"));

    WriteFile(m_work / "out.txt", "keep me\n");
    fs::create_hard_link(m_work / "out.txt", m_work / "second.txt");
    ExpectRefused({"count:300000", "out.txt"}, kExitRandomFailed, "out.txt", FailingRandomFill(20));
    EXPECT_EQ(Output("second.txt"), "keep me\n");
    ExpectKept(2);
    EXPECT_EQ(Run({"count:4", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("second.txt"), 4, 7, kAlnum);
    EXPECT_EQ(Output("second.txt"), Output());
}

} // namespace
