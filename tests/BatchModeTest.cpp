// Runs the built program in batch mode as a user would: a real argv in a fresh working folder,
// then checks the files it leaves, its exit status and what it prints.

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"
#include "tests/TestSupport.h"

#include <QString>
#include <cstdlib>
#include <sys/wait.h>
#include <vector>

namespace {

using namespace testing_support;

const std::string kFailingGetrandom = MIRRAK_TEST_BINARY_DIR "/FailingGetrandom.so";
const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", kLower = "abcdefghijklmnopqrstuvwxyz",
                  kAlnum = kUpper + kLower + "0123456789";

// Checks that content is, byte for byte, quantity "\r\n"-ended lines of length characters of
// alphabet (UTF-8, none beyond U+FFFF), and with every set that each of them occurs.
void ExpectPasswords(const std::string& content, int quantity, int length,
                     const std::string& alphabet, bool every = false) {
    const QString allowed = QString::fromStdString(alphabet),
                  text = QString::fromStdString(content);
    QString shape, expected; // an allowed character shows as U+0001, stray bytes as U+FFFD
    for (const QChar c : text)
        shape += allowed.contains(c) ? QChar(1) : c;
    for (int i = 0; i < quantity; ++i)
        expected += QString(length, QChar(1)) + "\r\n";
    EXPECT_EQ(shape.toStdString(), expected.toStdString());
    for (const QChar c : every ? allowed : QString())
        EXPECT_TRUE(text.contains(c)) << "never drawn: " << QString(c).toStdString();
}

class BatchModeTest : public ::testing::Test {
protected:
    // Every test starts with "out.txt", which a refused run must leave as it is.
    void SetUp() override {
        fs::create_directory(m_work);
        WriteFile(m_work / "out.txt", "keep me\n");
        fs::permissions(m_work / "out.txt", fs::perms(0640));
    }
    void ExpectKept() {
        EXPECT_EQ(Output(), "keep me\n");
        EXPECT_EQ(FileMode(m_work / "out.txt"), 0640u);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 1);
    }
    std::string Output(const std::string& name = "out.txt") { return ReadFile(m_work / name); }

    // Runs the program in the working folder through the shell after setup (commands or variable
    // assignments) with args that hold no single quote; returns its exit status and keeps what it
    // printed on stderr in m_stderr. It never prints on stdout.
    int Run(const std::vector<std::string>& args, const std::string& setup = "") {
        std::string command = "cd '" + m_work.string() + "' || exit 127; " + setup +
                              " timeout 120 '" MIRRAK_PROGRAM "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        const int status = std::system((command + " >../stdout 2>../stderr").c_str());
        EXPECT_EQ(ReadFile(m_tmp / "stdout"), "");
        m_stderr = ReadFile(m_tmp / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Runs args expecting the exit status and one line on stderr that names the file.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& name,
                       const std::string& setup = "") {
        EXPECT_EQ(Run(args, setup), status) << m_stderr;
        EXPECT_LT(m_stderr.find(name), m_stderr.find('\n')) << m_stderr;
        EXPECT_EQ(m_stderr.find('\n'), m_stderr.size() - 1) << m_stderr;
    }

    TempDir m_tmp;
    const fs::path m_work = m_tmp / "work";
    std::string m_stderr;
};

TEST_F(BatchModeTest, WritesThePasswordsAndLeavesGenCfgAlone) {
    GeneratorSettings stored; // a gen.cfg that asks for something else
    stored.SetDefaults();
    stored.m_nQuantity = 4;
    ASSERT_TRUE(stored.Save((m_work / "gen.cfg").c_str()));
    const std::string cfg = Output("gen.cfg");
    EXPECT_EQ(Run({"out.txt"}), kExitWritten);
    EXPECT_EQ(m_stderr, "");
    ExpectPasswords(Output(), 1, 7, kAlnum);
    EXPECT_EQ(Run({"count:5", "length:16", "new.txt"}), kExitWritten);
    ExpectPasswords(Output("new.txt"), 5, 16, kAlnum);
    EXPECT_EQ(Run({"count:3", "/dev/null"}), kExitWritten);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Output("gen.cfg"), cfg);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 3);
}

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

TEST_F(BatchModeTest, RefusedAndFailedRunsTouchNothing) {
    ExpectRefused({"count:5", ""}, kExitUsage, "usage: mirrak-generator ",
                  "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM;");
    ExpectRefused({"symbols:", "out.txt"}, kExitEmptyAlphabet, "out.txt");
    ExpectRefused({"no such dir/out.txt"}, kExitWriteFailed, "no such dir/out.txt");
    for (const char* name : {"out.txt", "new.txt"}) {
        ExpectRefused({"count:99999999999", "length:99999999999", name}, kExitTooLarge, name);
        // A file may grow to a few kilobytes only: the write fails part-way.
        ExpectRefused({"count:1000", "length:100", name}, kExitWriteFailed, name,
                      "trap '' XFSZ; ulimit -f 8;");
    }
    ExpectKept();
}

TEST_F(BatchModeTest, AFailingRandomSourceWritesNothing) {
    if (!fs::exists(kFailingGetrandom))
        GTEST_SKIP() << kFailingGetrandom << " is not built";
    // A sanitizer runtime would otherwise refuse to start after a preloaded library.
    const std::string preload = "LD_PRELOAD='" + kFailingGetrandom +
                                "' ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\"";
    for (const char* name : {"out.txt", "new.txt"})
        ExpectRefused({"count:3", name}, kExitRandomFailed, name, preload);
    ExpectKept();
}

// The shell has split the words already: each argument is one token, and a name is the file's
// name exactly as typed, quotes, backslashes and blanks included.
TEST_F(BatchModeTest, EachArgumentIsOneTokenAndANameIsTakenAsTyped) {
    EXPECT_EQ(Run({R"(my "q" f.txt)"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(R"(my "q" f.txt)"), 1, 7, kAlnum);
    EXPECT_EQ(Run({R"(a b\)", "count:3", "out"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output("out"), 3, 7, kAlnum);
    const std::string xy = kLower + "x y";
    EXPECT_EQ(Run({R"(symbols:a"x y")", "count:3", "out.txt"}), kExitWritten) << m_stderr;
    ExpectPasswords(Output(), 3, 7, xy);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_work), {}), 3); // no other name was written
    // 600 draws from 29 characters give the blank of the set.
    EXPECT_EQ(Run({R"(symbols:a"x y")", "count:3", "length:200", "out.txt"}), kExitWritten);
    ExpectPasswords(Output(), 3, 200, xy);
    EXPECT_NE(Output().find(' '), std::string::npos);
}

} // namespace
