#include "generator/GeneratorSettings.h"

#include "generator/PasswordMaker.h"
#include "platform/os/RandomProvider.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <thread>
#include <tuple>

using namespace std::string_literals;
using namespace testing_support;

namespace {

const char* const kDefaultSymbols = GeneratorSettings::kDefaultSpecial;

// Every field, so that records compare whole; each buffer as its text and its size.
auto Fields(const GeneratorSettings& s) {
    return std::make_tuple(s.m_nQuantity, s.m_nLength, s.m_bUpper, s.m_bLower, s.m_bDigits,
                           s.m_geometry.GetText(), s.m_geometry.GetSize(), s.m_bSpecial,
                           s.m_special.GetText(), s.m_special.GetSize());
}

} // namespace

TEST(GeneratorSettings, SaveWritesTheFileFormAndLoadTakesOnlyWhatIsWhole) {
    const TempDir dir;
    const std::string path = dir / "gen.cfg";
    const auto load = [&path](const std::string& bytes, GeneratorSettings record) {
        WriteFile(path, bytes);
        record.Load(path.c_str());
        return Fields(record);
    };
    GeneratorSettings settings = GeneratorSettings::Instance(); // the defaults
    ASSERT_TRUE(settings.Save(path.c_str()));
    EXPECT_EQ(ReadFile(path),
              "\x01\x07\x01\x01\x01\0\0\0\0\0\x10\0\0\0_-+/*=!@$%^&()~\0\x01\0\0\0"s);
    EXPECT_EQ(load(ReadFile(path), GeneratorSettings()), Fields(settings));
    std::tie(settings.m_nQuantity, settings.m_nLength) = std::tuple(1000, 300);
    ASSERT_TRUE(settings.Save(path.c_str()));
    EXPECT_EQ(ReadFile(path),
              "\xE8\x2C\x01\x01\x01\0\0\0\0\0\x10\0\0\0_-+/*=!@$%^&()~\0\xE8\x03\0\0"s);
    settings.m_nLength = 44; // only the low byte of the length is kept
    EXPECT_EQ(load(ReadFile(path), GeneratorSettings()), Fields(settings));

    // Quantity 1000 (first its low byte), length 20, classes 0 2 0, geometry "geo" (its size at
    // offset 5), special 1, symbols "xy" (their size at 14), then the full quantity.
    const std::string full = "\xE8\x14\0\x02\0\x04\0\0\0geo\0\x01\x03\0\0\0xy\0\xE8\x03\0\0"s;
    GeneratorSettings before = GeneratorSettings::Instance(); // every field differs
    before.m_geometry.Append("9");
    // Cut inside a field: nothing changes. Right after the geometry: the special settings stay.
    // After the symbols: the quantity's full 32 bits once all four bytes are there.
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        auto expected = Fields(before);
        if (cut == 13)
            expected = std::make_tuple(0xE8, 20, 0, 2, 0, "geo", 4, 0, kDefaultSymbols, 16);
        if (cut >= 21)
            expected = std::make_tuple(cut < 25 ? 0xE8 : 1000, 20, 0, 2, 0, "geo", 4, 1, "xy", 3);
        EXPECT_EQ(load(full.substr(0, cut), before), expected) << "file cut to " << cut;
    }
    // Negative sizes, and sizes one more than the bytes left.
    for (const std::string& size : {"\xFF\xFF\xFF\xFF"s, "\x11\0\0\0"s})
        EXPECT_EQ(load(full.substr(0, 5) + size + full.substr(9), before), Fields(before));
    for (const std::string& size : {"\0\0\0\x80"s, "\x08\0\0\0"s})
        EXPECT_EQ(load(full.substr(0, 14) + size + full.substr(18), before), Fields(before));
}

// gen.cfg changes only whole: a write that fails (the file size limit stands for a full disk)
// keeps the old choices; its mode stays, a new one is its owner's only, a read-only one and
// anything that is no regular file are neither read nor written, and nothing waits for a pipe.
TEST(GeneratorSettings, SaveReplacesTheFileWholeOrNotAtAll) {
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

TEST(GeneratorSettings, GenerateToFileWritesAllPasswordsOrNothing) {
    const TempDir dir;
    const std::string path = dir / "out.txt", fresh = dir / "fresh.txt";
    platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t size) {
        std::fill(buffer, buffer + size, 0xFF); // always the last character
        return true;
    });
    GeneratorSettings settings = GeneratorSettings::Instance();
    EXPECT_EQ(settings.GenerateToFile(path.c_str()).status, RunStatus::Done);
    EXPECT_EQ(ReadFile(path), "9999999\r\n");
    EXPECT_EQ(FileMode(path), 0600u);
    chmod(path.c_str(), 0444); // read-only: overwritten all the same
    std::tie(settings.m_nQuantity, settings.m_nLength, settings.m_bSpecial) = std::tuple(3, 4, 1);
    EXPECT_EQ(settings.GenerateToFile(path.c_str()).status, RunStatus::Done);
    EXPECT_EQ(ReadFile(path), "~~~~\r\n~~~~\r\n~~~~\r\n"); // the symbols come last

    GeneratorSettings none, huge = settings, longer = settings; // none: no character class
    std::tie(huge.m_nQuantity, huge.m_nLength) = std::tuple(INT32_MAX, INT32_MAX);
    std::tie(longer.m_nQuantity, longer.m_nLength) = std::tuple(4, 10000); // three fills
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const long threads = ThreadCount();
    for (const std::string& target : {path, fresh}) {
        EXPECT_EQ(none.GenerateToFile(target.c_str()).status, RunStatus::EmptyAlphabet);
        EXPECT_EQ(huge.GenerateToFile(target.c_str()).status, RunStatus::TooLarge);
        for (const int k : {1, 2, 3}) { // the k-th fill fails: nothing is asked for after it
            const ScriptedFills fills(SeededBytes(1), k);
            EXPECT_EQ(longer.GenerateToFile(target.c_str()).status, RunStatus::RandomFailed);
            EXPECT_EQ(fills.Fills(), k);
            EXPECT_EQ(ThreadCount(), threads);
        }
    }
    getrusage(RUSAGE_SELF, &after);
    platform::SetRandomFillForTesting({});
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "peak resident kilobytes grew";
    EXPECT_EQ(ReadFile(path), "~~~~\r\n~~~~\r\n~~~~\r\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
    const RunOutcome missing = settings.GenerateToFile((dir / "no/such.txt").c_str());
    EXPECT_TRUE(missing.status == RunStatus::WriteFailed && missing.error == ENOENT);
}

// Batch generation fetches the next fill on a second thread while it draws from the current one:
// the same fills make the same passwords as drawing from a source that fetches its own, and the
// thread is gone when the run is. A pipe gets only whole passwords of good fills.
TEST(GeneratorSettings, GenerateToFileMakesThePasswordsOfTheSameFillsFetchedAhead) {
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
