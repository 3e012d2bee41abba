// What only POSIX has: file modes, resource limits, pipes.
#include "generator/GeneratorSettings.h"
#include "generator/PasswordMaker.h"
#include "platform/os/RandomProvider.h"
#include "tests/generator/SettingsFields.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace testing_support;

// gen.cfg changes only whole: a write that fails (the file size limit stands for a full disk)
// keeps the old choices; its mode stays, a new one is its owner's only, a read-only one and
// anything that is no regular file are neither read nor written, and nothing waits for a pipe.
TEST(GeneratorSettingsPosix, SaveReplacesTheFileWholeOrNotAtAll) {
    const TempDir dir;
    const std::string path = dir / "gen.cfg";
    GeneratorSettings settings = GeneratorSettings::Instance();
    ASSERT_TRUE(settings.Save(path.c_str()));
    EXPECT_EQ(FileMode(path), 0600u);
    const std::string saved = ReadFile(path);
    chmod(path.c_str(), 0640);
    settings.m_special.Clear();
    settings.m_special.Append(std::string(300, 'x'));
    {
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{64, old.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_FALSE(settings.Save(path.c_str()));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    EXPECT_EQ(ReadFile(path), saved);
    ASSERT_TRUE(settings.Save(path.c_str()));
    EXPECT_EQ(FileMode(path), 0640u);
    const std::string longer = ReadFile(path);
    EXPECT_EQ(longer.size(), saved.size() + 300 - 15);
    chmod(path.c_str(), 0440);
    EXPECT_FALSE(GeneratorSettings::Instance().Save(path.c_str()));
    EXPECT_EQ(ReadFile(path), longer);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    const std::string pipe = dir / "pipe.cfg";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0); // no writer and no reader: opening it would block
    GeneratorSettings record = GeneratorSettings::Instance();
    record.Load(pipe.c_str());
    EXPECT_EQ(Fields(record), Fields(GeneratorSettings::Instance()));
    EXPECT_FALSE(record.Save(pipe.c_str()));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

// A new file is its owner's alone; failed runs keep no large buffer.
TEST(GeneratorSettingsPosix, GenerateToFileMakesFilesOfMode0600AndHoldsLittleMemory) {
    const TempDir dir;
    const std::string path = dir / "out.txt";
    GeneratorSettings settings = GeneratorSettings::Instance();
    EXPECT_EQ(settings.GenerateToFile(path.c_str()).status, RunStatus::Done);
    EXPECT_EQ(FileMode(path), 0600u);

    GeneratorSettings huge = settings, longer = settings;
    std::tie(huge.m_nQuantity, huge.m_nLength) = std::tuple(INT32_MAX, INT32_MAX);
    std::tie(longer.m_nQuantity, longer.m_nLength) = std::tuple(4, 10000); // three fills
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(huge.GenerateToFile(path.c_str()).status, RunStatus::TooLarge);
    int fills = 0;
    platform::SetRandomFillForTesting(
        [&fills](unsigned char*, std::size_t) { return fills++ < 1; });
    EXPECT_EQ(longer.GenerateToFile(path.c_str()).status, RunStatus::RandomFailed);
    platform::SetRandomFillForTesting({});
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "peak resident kilobytes grew";
}

// Batch generation fetches the next fill on a second thread while it draws from the current one:
// the same fills make the same passwords as drawing from a source that fetches its own, and the
// thread is gone when the run is. A pipe gets only whole passwords of good fills.
TEST(GeneratorSettingsPosix, GenerateToFileMakesThePasswordsOfTheSameFillsFetchedAhead) {
    const TempDir dir;
    const std::string path = dir / "out.txt", pipe = dir / "pipe";
    GeneratorSettings settings = GeneratorSettings::Instance();
    std::tie(settings.m_nQuantity, settings.m_nLength, settings.m_bSpecial) =
        std::tuple(5000, 10, 1);
    const long threads = ThreadCount();
    std::string expected;
    {
        const ScriptedFills fills(SeededBytes(9)); // 200,000 bytes of draws: four fills
        CryptoRandomSource source;
        const Alphabet alphabet(settings.BuildAlphabet());
        PasswordMaker maker(source, alphabet, settings.m_nLength);
        std::string line(maker.LineBytes(), '\0');
        for (int i = 0; i < settings.m_nQuantity; ++i)
            expected.append(line, 0, maker.MakeOne(line.data()));
    }
    {
        const ScriptedFills fills(SeededBytes(9));
        EXPECT_EQ(settings.GenerateToFile(path.c_str()).status, RunStatus::Done);
        EXPECT_EQ(fills.Fills(), 4);
        EXPECT_TRUE(fills.FetchedElsewhere());
    }
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_TRUE(ReadFile(path) == expected);

    // Fill 20 fails after the first 256 KiB (21,846 lines, drawn from fills 1 to 14) went out.
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::tie(settings.m_nQuantity, settings.m_bSpecial) = std::tuple(40000, 0);
    for (const int k : {2, 20}) {
        SCOPED_TRACE(k);
        const ScriptedFills fills(NumberedFills(62), k);
        std::string got;
        std::thread reader([&got, &pipe] { got = ReadFile(pipe); });
        const RunOutcome outcome = settings.GenerateToFile(pipe.c_str());
        ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK)); // frees a reader still waiting
        reader.join();
        EXPECT_EQ(outcome.status, RunStatus::RandomFailed);
        EXPECT_EQ(outcome.passwordsOut, k == 2 ? 0u : 21846u);
        std::string lines;
        for (std::uint64_t c = 0; c < outcome.passwordsOut * 10; c += 10) {
            for (std::uint64_t i = c; i < c + 10; ++i)
                lines += char('A' + i / 16384);
            lines += "\r\n";
        }
        EXPECT_TRUE(got == lines) << got.size() << " bytes";
        EXPECT_EQ(ThreadCount(), threads);
    }
}
