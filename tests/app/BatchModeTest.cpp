// Batch mode on POSIX and Windows alike: the built program run with a real command line, then the
// files it leaves, its exit status and its stderr.

#include "generator/GeneratorSettings.h"
#include "tests/app/BatchModeFixture.h"

namespace {

using namespace testing_support;
using BatchModeTest = BatchModeFixture;

// The classes and the special set make the alphabet, whose characters are drawn whole as the
// platform's code page has them (a UTF-8 sequence on POSIX, one byte on Windows); gen.cfg, which
// asks for something else, is neither read nor written.
TEST_F(BatchModeTest, WritesThePasswordsAskedForAndLeavesGenCfgAlone) {
    GeneratorSettings stored;
    stored.SetDefaults();
    stored.m_nQuantity = 4;
    ASSERT_TRUE(stored.Save((m_work / "gen.cfg").string().c_str()));
    const std::string cfg = Output("gen.cfg");
    EXPECT_EQ(Run({"out.txt"}), kExitWritten);
    EXPECT_EQ(m_stderr, "");
    ExpectPasswords(Output(), 1, 7, kAlnum);
    EXPECT_EQ(Run({"count:3", kNullDevice}), kExitWritten) << m_stderr;
    const std::pair<std::string, std::string> cases[] = {
        {"symbols:A0", kUpper + "0123456789"},
        {R"(symbols:a"€é")", kLower + "€é"},
    };
    for (const auto& [option, alphabet] : cases) {
        EXPECT_EQ(Run({option, "count:40", "length:50", NameArgument("my passwords.txt")}),
                  kExitWritten)
            << option;
        // 2000 draws show every character.
        ExpectPasswords(Output("my passwords.txt"), 40, 50, alphabet, true);
    }
    EXPECT_EQ(Output("gen.cfg"), cfg);
    EXPECT_EQ(Entries(), 3);
}

// Refused for usage, an empty alphabet, a missing folder, a size too large, or the k-th random fill
// failing (a run of 300,000 passwords takes 129 fills, fetched ahead; nothing of the earlier fills
// reaches the file either): the files are as they were.
TEST_F(BatchModeTest, ARefusedRunTouchesNothing) {
    // No output file: the window would open, and cannot.
    const ProgramSetup noDisplay = {
        MIRRAK_PROGRAM, {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}, {"QT_QPA_PLATFORM", {}}}};
    ExpectRefused({"count:5", NameArgument("")}, kExitUsage,
                  kNoWindowReason + "; usage: ", noDisplay);
    ExpectRefused({"symbols:", "out.txt"}, kExitEmptyAlphabet, "out.txt");
    ExpectRefused({NameArgument("no such dir/out.txt")}, kExitWriteFailed, "no such dir/out.txt");
    for (const char* name : {"out.txt", "new.txt"}) {
        ExpectRefused({"count:99999999999", "length:99999999999", name}, kExitTooLarge, name);
        ExpectRefused({"count:3", name}, kExitRandomFailed, name, FailingRandomFill(1));
        for (const int k : {2, 20})
            ExpectRefused({"count:300000", name}, kExitRandomFailed, name, FailingRandomFill(k));
    }
    ExpectKept();
}

// A file with two names is written in its place, so that both names see the new passwords. (A
// read-only file replaced: ReplacementFilePosixTest, BatchModeWindowsTest.)
TEST_F(BatchModeTest, ALinkedTargetIsWrittenInItsPlace) {
    fs::create_hard_link(m_work / "out.txt", m_work / "second.txt");
    EXPECT_EQ(Run({"count:4", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("second.txt"), 4, 7, kAlnum);
    EXPECT_EQ(Output("second.txt"), Output());
}

// A write or flush that fails leaves the old file, read-only state included, or none. A file
// written in its place is emptied only once all of its passwords are made: a failed fill leaves
// it as it was, a write that fails leaves it empty, never partly written, and stderr says so.
TEST_F(BatchModeTest, AFailedWriteOrFlushLeavesTheOldFileOrAnEmptyOne) {
    SetReadOnly(m_work / "out.txt", true);
    m_mode = FileMode(m_work / "out.txt");
    for (const char* fault : {"MIRRAK_FAIL_WRITE", "MIRRAK_FAIL_FLUSH"})
        for (const char* name : {"out.txt", "new.txt"})
            ExpectRefused({"count:30000", "length:10", name}, kExitWriteFailed, name,
                          Faults({{fault, "100000"}}));
    ExpectKept();
    fs::create_hard_link(m_work / "out.txt", m_work / "second.txt");
    const std::vector<std::string> args = {"count:30000", "length:10", "out.txt"};
    ExpectRefused(args, kExitRandomFailed, "out.txt", FailingRandomFill(2));
    ExpectKept(2);
    ExpectRefused(args, kExitWriteFailed, "out.txt", Faults({{"MIRRAK_FAIL_WRITE", "100000"}}));
    EXPECT_NE(m_stderr.find("empty"), std::string::npos) << m_stderr;
    EXPECT_EQ(Output("second.txt"), "");
}

// "--help" and "--version" tell how to use the program, or its version (the usage's options and
// statuses: ManualPage). Of the two the first one given wins, anywhere on the command line, over a
// file name, which is then not written. Only the exact words are info options: anything else,
// "./--help" included, names the output file.
TEST_F(BatchModeTest, InfoOptionsPrintAndWriteNoFileAndOnlyTheExactWordsAreThem) {
    const std::string version = kWindows ? "Mirrak Generator 2.4\r\n" : "Mirrak Generator 2.4\n";
    for (const auto& [args, help] : {std::pair<std::vector<std::string>, bool>{{"--help"}, true},
                                     {{"count:3", "--help", "out.txt", "--version"}, true},
                                     {{"--version"}, false},
                                     {{"out.txt", "--version", "--help"}, false}}) {
        const ProgramRun run = RunProgram(MIRRAK_PROGRAM, args, m_work.Path());
        EXPECT_EQ(run.status, kExitWritten) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(help ? run.out.starts_with("Usage: mirrak-generator ") : run.out == version)
            << run.out;
    }
    ExpectKept();
    for (const std::string name : {"--HELP", "--help=1", "-h", "--versions", "-"}) {
        EXPECT_EQ(Run({"count:2", name}), kExitWritten) << name << ": " << m_stderr;
        EXPECT_EQ(Output(name).size(), 2u * 9) << name;
    }
    EXPECT_EQ(Run({NativePath("./--help")}), kExitWritten) << m_stderr;
    EXPECT_EQ(Output("--help").size(), 9u);
}

} // namespace
