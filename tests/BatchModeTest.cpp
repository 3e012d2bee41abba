// Runs the built program in batch mode as a user would: a real argv, a fresh working directory,
// and checks of the files it leaves, its exit status and its one line of stderr.

#include "app/CommandLineParser.h"
#include "generator/GeneratorSettings.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kFailingGetrandom = MIRRAK_TEST_BINARY_DIR "/FailingGetrandom.so";
const CString kAlnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

struct Outcome {
    int status = -1; // the exit status, or 128 + the signal that ended the program
    std::string err;
    std::string out;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& content, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, fs::perms(mode));
}

struct stat Stat(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

// The UTF-8 characters of text; an invalid or cut sequence fails the test.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (std::size_t i = 0, n; i < text.size(); i += n) {
        const auto lead = static_cast<unsigned char>(text[i]);
        n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        bool valid = (lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4)) && i + n <= text.size();
        for (std::size_t k = 1; valid && k < n; ++k)
            valid = (text[i + k] & 0xC0) == 0x80;
        EXPECT_TRUE(valid) << "invalid UTF-8 at byte " << i;
        chars.push_back(text.substr(i, n));
    }
    return chars;
}

// Checks a batch file of quantity "\r\n"-ended passwords of length characters from alphabet;
// returns the characters that occur.
std::set<std::string> ExpectPasswords(const std::string& content, std::size_t quantity,
                                      std::size_t length, const std::string& alphabet) {
    const std::vector<std::string> chars = Characters(alphabet);
    const std::set<std::string> allowed(chars.begin(), chars.end());
    std::set<std::string> seen;
    std::size_t lines = 0, start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = content.substr(start, end - start);
        ++lines;
        EXPECT_EQ(Characters(line).size(), length) << line;
        for (const std::string& c : Characters(line)) {
            EXPECT_TRUE(allowed.contains(c)) << line;
            seen.insert(c);
        }
    }
    EXPECT_EQ(lines, quantity);
    EXPECT_EQ(start, content.size()) << "the file does not end with a line break";
    return seen;
}

class BatchModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[] = "/tmp/mirrak-batch-XXXXXX";
        ASSERT_NE(mkdtemp(base), nullptr);
        m_base = base;
        m_work = m_base / "work";
        fs::create_directory(m_work);
    }
    void TearDown() override { fs::remove_all(m_base); }

    // Starts the program with args in the working directory; inChild runs just before exec.
    pid_t Start(const std::vector<std::string>& args, const std::function<void()>& inChild = {}) {
        std::vector<std::string> all{MIRRAK_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string err = m_base / "stderr", out = m_base / "stdout";
        const pid_t pid = fork();
        if (pid == 0) {
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (errFd < 0 || outFd < 0 || dup2(errFd, 2) < 0 || dup2(outFd, 1) < 0 ||
                chdir(m_work.c_str()) != 0)
                _exit(127);
            umask(022);
            alarm(120); // a hung program ends instead of hanging the test
            if (inChild)
                inChild();
            execv(argv[0], argv.data());
            _exit(127);
        }
        EXPECT_GT(pid, 0);
        return pid;
    }
    Outcome Wait(pid_t pid) {
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        Outcome run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.err = ReadFile(m_base / "stderr");
        run.out = ReadFile(m_base / "stdout");
        return run;
    }
    Outcome RunProgram(const std::vector<std::string>& args,
                       const std::function<void()>& inChild = {}) {
        return Wait(Start(args, inChild));
    }

    // Names in the working directory.
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_work))
            names.insert(entry.path().filename().string());
        return names;
    }
    std::string Output(const std::string& name = "out.txt") const {
        return ReadFile(m_work / name);
    }

    // Runs args, expecting a refusal with status and one stderr line naming the file.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& file) {
        const Outcome run = RunProgram(args);
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.err.ends_with("\n")) << run.err;
        EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }

    // A file that a refused run must leave exactly as it was.
    void PlantKeptFile(const std::string& name = "out.txt") {
        WriteFile(m_work / name, "keep me\n", 0640);
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (m_work / name).c_str(), times, 0), 0);
    }
    void ExpectKeptFile(const std::string& name = "out.txt") {
        EXPECT_EQ(Output(name), "keep me\n");
        const struct stat st = Stat(m_work / name);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }

    fs::path m_base;
    fs::path m_work;
};

TEST_F(BatchModeTest, DefaultsWriteOnePasswordOfSevenCharacters) {
    const Outcome run = RunProgram({"out.txt"});
    EXPECT_EQ(run.status, kExitWritten);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    const std::string content = Output();
    EXPECT_EQ(content.size(), 9u);
    ExpectPasswords(content, 1, 7, kAlnum);
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"}); // no gen.cfg either
}

TEST_F(BatchModeTest, CountAndLengthSetTheSizes) {
    ASSERT_EQ(RunProgram({"count:5", "length:16", "out.txt"}).status, kExitWritten);
    const std::string content = Output();
    EXPECT_EQ(content.size(), 90u);
    // 80 draws from 62 characters: a source that repeats itself shows far fewer.
    EXPECT_GE(ExpectPasswords(content, 5, 16, kAlnum).size(), 25u);

    ASSERT_EQ(RunProgram({"COUNT:3", "LENGTH:2", "out.txt"}).status, kExitWritten);
    EXPECT_EQ(Output().size(), 12u);
    ASSERT_EQ(RunProgram({"quantity:4", "length:1", "out.txt"}).status, kExitWritten);
    EXPECT_EQ(Output().size(), 12u);
    ASSERT_EQ(RunProgram({"count:-3", "length:0", "out.txt"}).status, kExitWritten);
    EXPECT_EQ(Output().size(), 3u);
}

TEST_F(BatchModeTest, SymbolsChooseTheAlphabet) {
    ASSERT_EQ(RunProgram({"symbols:A0", "count:20", "length:50", "out.txt"}).status, 0);
    EXPECT_EQ(ExpectPasswords(Output(), 20, 50, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789").size(),
              36u);

    ASSERT_EQ(RunProgram({R"(symbols:a"#$%")", "count:20", "length:50", "out.txt"}).status, 0);
    const std::set<std::string> seen =
        ExpectPasswords(Output(), 20, 50, "abcdefghijklmnopqrstuvwxyz#$%");
    EXPECT_EQ(seen.size(), 29u);
}

TEST_F(BatchModeTest, MultiByteSymbolsStayWholeCharacters) {
    ASSERT_EQ(RunProgram({R"(symbol:a"€é")", "count:50", "length:40", "out.txt"}).status, 0);
    const std::set<std::string> seen =
        ExpectPasswords(Output(), 50, 40, "abcdefghijklmnopqrstuvwxyz€é");
    EXPECT_TRUE(seen.contains("€") && seen.contains("é"));
}

TEST_F(BatchModeTest, TheLastFileNameIsUsedAsOneArgument) {
    ASSERT_EQ(RunProgram({"my passwords.txt"}).status, kExitWritten);
    ASSERT_EQ(RunProgram({"first.txt", "second.txt"}).status, kExitWritten);
    EXPECT_EQ(Entries(), (std::set<std::string>{"my passwords.txt", "second.txt"}));
    EXPECT_EQ(Output("my passwords.txt").size(), 9u);
}

TEST_F(BatchModeTest, WithoutAFileNameOrDisplayItPrintsUsage) {
    const auto noDisplay = [] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
    };
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"count:5", "length:9"}, {"out.txt", ""}}) {
        const Outcome run = RunProgram(args, noDisplay);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_NE(run.err.find("usage: mirrak-generator "), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(BatchModeTest, AnEmptyAlphabetWritesNothing) {
    PlantKeptFile();
    ExpectRefused({"symbols:", "out.txt"}, kExitEmptyAlphabet, "out.txt");
    ExpectRefused({R"(symbols:")", "new.txt"}, kExitEmptyAlphabet, "new.txt");
    ExpectKeptFile();
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
}

TEST_F(BatchModeTest, ARequestBeyondMemoryIsRefused) {
    PlantKeptFile();
    ExpectRefused({"count:99999999999", "length:100", "out.txt"}, kExitTooLarge, "out.txt");
    ExpectRefused({"count:99999999999", "length:99999999999", "new.txt"}, kExitTooLarge, "new.txt");
    ExpectKeptFile();
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
}

TEST_F(BatchModeTest, AMissingDirectoryIsReported) {
    ExpectRefused({"no such dir/out.txt"}, kExitWriteFailed, "no such dir/out.txt");
    EXPECT_TRUE(Entries().empty());
}

TEST_F(BatchModeTest, NewFilesAreOwnerOnlyAndExistingFilesKeepTheirMode) {
    ASSERT_EQ(RunProgram({"new.txt"}).status, kExitWritten);
    EXPECT_EQ(Stat(m_work / "new.txt").st_mode & 0777, 0600u);

    WriteFile(m_work / "shared.txt", "old", 0644);
    ASSERT_EQ(RunProgram({"shared.txt"}).status, kExitWritten);
    EXPECT_EQ(Stat(m_work / "shared.txt").st_mode & 0777, 0644u);
    EXPECT_EQ(Output("shared.txt").size(), 9u);

    WriteFile(m_work / "readonly.txt", "old", 0444);
    ASSERT_EQ(RunProgram({"count:2", "readonly.txt"}).status, kExitWritten);
    EXPECT_EQ(Stat(m_work / "readonly.txt").st_mode & 0777, 0644u);
    EXPECT_EQ(Output("readonly.txt").size(), 18u);
}

TEST_F(BatchModeTest, AWriteThatFailsPartWayLeavesNoFile) {
    const Outcome run = RunProgram({"count:1000", "length:100", "out.txt"}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(run.status, kExitWriteFailed);
    EXPECT_NE(run.err.find("out.txt"), std::string::npos) << run.err;
    EXPECT_TRUE(Entries().empty());
}

TEST_F(BatchModeTest, DevicesAndPipesAreWrittenButNeverRemoved) {
    ASSERT_EQ(RunProgram({"count:3", "/dev/null"}).status, kExitWritten);
    EXPECT_TRUE(S_ISCHR(Stat("/dev/null").st_mode));

    // A pipe whose reader goes away mid-run: the write fails, the pipe stays.
    const fs::path fifo = m_work / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const pid_t pid =
        Start({"count:10000", "length:100", "pipe"}, [] { std::signal(SIGPIPE, SIG_IGN); });
    pollfd ready{reader, POLLIN, 0};
    EXPECT_EQ(poll(&ready, 1, 60000), 1);
    char some[16];
    EXPECT_GT(read(reader, some, sizeof some), 0);
    close(reader);
    const Outcome run = Wait(pid);
    EXPECT_EQ(run.status, kExitWriteFailed);
    EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));
}

TEST_F(BatchModeTest, GenCfgIsNeitherReadNorWritten) {
    GeneratorSettings stored;
    stored.SetDefaults();
    stored.m_nQuantity = 3;
    stored.m_nLength = 20;
    stored.m_bUpper = stored.m_bLower = 0;
    stored.m_bSpecial = 1;
    ASSERT_TRUE(stored.Save((m_work / "gen.cfg").c_str()));
    const std::string before = ReadFile(m_work / "gen.cfg");

    ASSERT_EQ(RunProgram({"out.txt"}).status, kExitWritten);
    ExpectPasswords(Output(), 1, 7, kAlnum);
    ASSERT_EQ(RunProgram({"count:2", "symbols:a", "out.txt"}).status, kExitWritten);
    ExpectPasswords(Output(), 2, 7, "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(ReadFile(m_work / "gen.cfg"), before);
}

TEST_F(BatchModeTest, AFailingRandomSourceWritesNothing) {
    if (!fs::exists(kFailingGetrandom))
        GTEST_SKIP() << kFailingGetrandom << " is not built";
    const auto failRandom = [] {
        setenv("LD_PRELOAD", kFailingGetrandom, 1);
        // A sanitizer runtime would otherwise refuse to start after a preloaded library.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS",
               (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    };
    PlantKeptFile();
    for (const char* name : {"out.txt", "new.txt"}) {
        const Outcome run = RunProgram({"count:3", name}, failRandom);
        EXPECT_EQ(run.status, kExitRandomFailed);
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
    }
    ExpectKeptFile();
    EXPECT_EQ(Entries(), std::set<std::string>{"out.txt"});
}

} // namespace
