// What only POSIX has: file modes, resource limits, pipes, the process's threads.
#include "generator/GeneratorSettings.h"
#include "tests/generator/SettingsFields.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedFills.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace testing_support;

// gen.cfg changes only whole: a write that fails (a file size limit stands for a full disk) keeps
// the old choices; a read-only file and a pipe are neither read nor written, and nothing waits for
// the pipe.
TEST(GeneratorSettingsPosix, SaveReplacesTheFileWholeOrNotAtAll) {
    const TempDir dir;
    const std::string path = dir / "gen.cfg", pipe = dir / "pipe.cfg";
    GeneratorSettings settings = GeneratorSettings::Instance();
    ASSERT_TRUE(settings.Save(path.c_str()));
    const std::string saved = ReadFile(path);
    settings.m_special.Append(std::string(300, 'x'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{64, old.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(settings.Save(path.c_str()));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(ReadFile(path), saved);
    chmod(path.c_str(), 0440);
    EXPECT_FALSE(settings.Save(path.c_str()));
    EXPECT_EQ(ReadFile(path), saved);

    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0); // no writer and no reader: opening it would block
    const auto fields = Fields(settings);
    settings.Load(pipe.c_str());
    EXPECT_EQ(Fields(settings), fields);
    EXPECT_FALSE(settings.Save(pipe.c_str()));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);
}

// Batch generation fetches the next fill on a second thread while it draws from the current one,
// and writes 256 KiB of passwords at a time. Each character tells the fill it came from ('A' for
// the first): a pipe, which cannot take bytes back, gets in order only the whole passwords of the
// good fills that went out before fill 20 failed (21,846 lines, from fills 1 to 14). The thread
// is gone when the run is.
TEST(GeneratorSettingsPosix, GenerateToAPipeWritesOnlyPasswordsOfGoodFillsInOrder) {
    const TempDir dir;
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    GeneratorSettings settings = GeneratorSettings::Instance();
    std::tie(settings.m_nQuantity, settings.m_nLength) = std::tuple(40000, 10); // 25 fills
    const long threads = ThreadCount();
    const ScriptedFills fills(NumberedFill, 20);
    std::string got;
    std::thread reader([&] { got = ReadFile(pipe); });
    const RunOutcome outcome = settings.GenerateToFile(pipe.c_str());
    ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK)); // frees a reader still waiting
    reader.join();
    EXPECT_EQ(outcome.status, RunStatus::RandomFailed);
    EXPECT_EQ(outcome.passwordsOut, 21846u);
    EXPECT_TRUE(fills.FetchedElsewhere());
    EXPECT_EQ(ThreadCount(), threads);
    std::string lines;
    for (int c = 0; c < 21846 * 10; c += 10) {
        for (int i = c; i < c + 10; ++i)
            lines += char('A' + i / 16384);
        lines += "\r\n";
    }
    EXPECT_TRUE(got == lines) << got.size() << " bytes";
}
