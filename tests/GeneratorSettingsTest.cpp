#include "generator/GeneratorSettings.h"

#include "platform/RandomProvider.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string kAlnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

const char kSymbols[] = "_-+/*=!@$%^&()~";

// A record's content, field by field. Geometry is stored as a text with its zero byte unless it
// is empty; symbols always as a text with its zero byte.
struct Content {
    std::int32_t quantity, length, upper, lower, digits;
    std::string geometry;
    std::int32_t special;
    std::string symbols;
};

GeneratorSettings Record(const Content& c) {
    GeneratorSettings s;
    std::tie(s.m_nQuantity, s.m_nLength, s.m_bUpper, s.m_bLower, s.m_bDigits, s.m_bSpecial) =
        std::tie(c.quantity, c.length, c.upper, c.lower, c.digits, c.special);
    if (!c.geometry.empty())
        s.m_geometry.Append(c.geometry);
    s.m_special.Append(c.symbols);
    return s;
}

GeneratorSettings Defaults() {
    GeneratorSettings settings;
    settings.SetDefaults();
    return settings;
}

std::string Bytes(const ByteBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()),
                       std::size_t(buffer.GetSize()));
}

// Every field of the record in one printable value, so that records compare whole.
std::string Fields(const GeneratorSettings& s) {
    return testing::PrintToString(std::make_tuple(s.m_nQuantity, s.m_nLength, s.m_bUpper,
                                                  s.m_bLower, s.m_bDigits, Bytes(s.m_geometry),
                                                  s.m_bSpecial, Bytes(s.m_special)));
}

class GeneratorSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = MIRRAK_TEST_BINARY_DIR "/settingsXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        platform::SetRandomFillForTesting({});
        std::filesystem::remove_all(m_dir);
    }

    std::string Path(const char* name) const { return m_dir + "/" + name; }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    std::string m_dir;
};

} // namespace

TEST(GeneratorSettings, FreshRecordHoldsTheDefaultsAndCopiesDeeply) {
    const GeneratorSettings fresh = Defaults();
    EXPECT_EQ(Fields(fresh), Fields(Record({1, 7, 1, 1, 1, "", 0, kSymbols})));
    EXPECT_EQ(fresh.m_special.GetSize(), 16);
    EXPECT_EQ(Fields(GeneratorSettings::Instance()), Fields(fresh));
    EXPECT_EQ(&GeneratorSettings::Instance(), &GeneratorSettings::Instance());

    GeneratorSettings copy(fresh), assigned;
    copy.m_geometry.Append(std::int32_t(5));
    assigned = copy;
    EXPECT_NE(copy.m_special.GetData(), fresh.m_special.GetData());
    EXPECT_NE(assigned.m_geometry.GetData(), copy.m_geometry.GetData());
    copy.m_special.Clear();
    copy.m_geometry.Clear();
    EXPECT_EQ(Fields(fresh), Fields(Defaults()));
    EXPECT_EQ(Bytes(assigned.m_geometry), "\x05\0\0\0"s);
    EXPECT_EQ(Bytes(assigned.m_special), Bytes(fresh.m_special));
}

TEST(GeneratorSettings, AlphabetJoinsTheChosenClassesInFixedOrder) {
    EXPECT_EQ(Defaults().BuildAlphabet(), kAlnum);
    EXPECT_EQ(Record({1, 7, 1, 1, 1, "", 2, kSymbols}).BuildAlphabet(),
              kAlnum + kSymbols); // 77 characters
    EXPECT_EQ(Record({1, 7, 0, 0, 1, "", 1, "9a9"}).BuildAlphabet(),
              "01234567899a9"); // duplicates stay
    GeneratorSettings none = Record({1, 7, 0, 0, 0, "", 1, ""});
    EXPECT_EQ(none.BuildAlphabet(), "");
    none.m_special.Clear(); // no bytes at all: an empty text as well
    EXPECT_EQ(none.BuildAlphabet(), "");
}

TEST_F(GeneratorSettingsTest, SaveWritesTheFileFormAndLoadReadsItBack) {
    const std::string path = Path("gen.cfg");
    ASSERT_TRUE(Defaults().Save(path.c_str()));
    EXPECT_EQ(Read(path), "\x01\x07\x01\x01\x01\0\0\0\0\0\x10\0\0\0_-+/*=!@$%^&()~\0\x01\0\0\0"s);

    ASSERT_TRUE(Record({1000, 300, 1, 2, 1, "", 0, kSymbols}).Save(path.c_str()));
    const std::string bytes = Read(path);
    EXPECT_EQ(bytes.substr(0, 4), "\xE8\x2C\x01\x02");
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\xE8\x03\0\0"s);
    GeneratorSettings loaded = Defaults();
    loaded.Load(path.c_str());
    // Only the low byte of the length is kept: 300 comes back as 44.
    EXPECT_EQ(Fields(loaded), Fields(Record({1000, 44, 1, 2, 1, "", 0, kSymbols})));
}

TEST_F(GeneratorSettingsTest, CutOrMalformedFileLoadsOnlyWhatIsWhole) {
    const GeneratorSettings source = Record({1000, 20, 0, 2, 0, "geo", 1, "xy"});
    const std::string path = Path("gen.cfg");
    ASSERT_TRUE(source.Save(path.c_str()));
    const std::string full = Read(path);
    ASSERT_EQ(full.size(), 25u); // 18 + 4 geometry bytes + 3 symbol bytes

    const GeneratorSettings before = Record({3, 7, 1, 1, 1, "9", 0, kSymbols}); // all fields differ
    const auto load = [&](const std::string& bytes) {
        Write(path, bytes);
        GeneratorSettings loaded = before;
        loaded.Load(path.c_str());
        return Fields(loaded);
    };
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "file cut to " << cut << " bytes");
        GeneratorSettings expected = before; // cut inside a field: nothing changes
        if (cut == 13) { // right after the geometry: symbols kept, quantity from its byte
            expected = Record({0xE8, 20, 0, 2, 0, "geo", 0, kSymbols});
        } else if (cut >= 21) { // after the symbols, with 0 to 4 bytes of the full quantity
            expected = source;
            expected.m_nQuantity = cut < 25 ? 0xE8 : 1000;
        }
        EXPECT_EQ(load(full.substr(0, cut)), Fields(expected));
    }
    // The geometry's size lies at offset 5, the symbols' size at 14.
    for (const std::size_t at : {5u, 14u}) {
        const auto left = std::int32_t(full.size() - at - 4);
        for (const std::int32_t size : {-1, INT32_MIN, INT32_MAX, left + 1}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " at " << at);
            const std::string sized = Bytes(ByteBuffer(size));
            EXPECT_EQ(load(full.substr(0, at) + sized + full.substr(at + 4)), Fields(before));
        }
    }
    GeneratorSettings loaded = before;
    loaded.Load(Path("missing.cfg").c_str());
    loaded.Load(m_dir.c_str()); // a directory
    EXPECT_EQ(Fields(loaded), Fields(before));
}

// Root may write any file: under root only the kept mode can be checked.
TEST_F(GeneratorSettingsTest, SaveLeavesAReadOnlyFileAlone) {
    const std::string path = Path("gen.cfg");
    Write(path, "old");
    chmod(path.c_str(), 0444);
    const bool saved = Defaults().Save(path.c_str());
    EXPECT_EQ(Mode(path), 0444u);
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files; only the mode was checked";
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(path), "old");
}

TEST_F(GeneratorSettingsTest, GenerateToFileWritesQuantityLinesOfLength) {
    const std::string path = Path("out.txt");
    platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t size) {
        std::fill(buffer, buffer + size, 0xFF); // always the last character
        return true;
    });
    EXPECT_EQ(Defaults().GenerateToFile(path.c_str()).status, BatchStatus::Written);
    EXPECT_EQ(Read(path), "9999999\r\n");
    EXPECT_EQ(Mode(path), 0600u);

    platform::SetRandomFillForTesting({});
    chmod(path.c_str(), 0640);
    EXPECT_EQ(Record({3, 4, 1, 1, 1, "", 0, kSymbols}).GenerateToFile(path.c_str()).status,
              BatchStatus::Written);
    EXPECT_TRUE(std::regex_match(Read(path), std::regex("([A-Za-z0-9]{4}\r\n){3}")));
    EXPECT_EQ(Mode(path), 0640u); // an existing file keeps its mode

    chmod(path.c_str(), 0444); // read-only: overwritten all the same
    EXPECT_EQ(Defaults().GenerateToFile(path.c_str()).status, BatchStatus::Written);
    EXPECT_EQ(Read(path).size(), 9u);
    EXPECT_EQ(Mode(path), 0644u); // the owner was given write permission
}

TEST_F(GeneratorSettingsTest, GenerateToFileDrawsWholeUtf8Characters) {
    const GeneratorSettings settings =
        Record({50, 6, 0, 0, 0, "", 1, "a\xE2\x82\xAC\xC3\xA9"}); // a € é
    const std::string path = Path("utf8.txt");
    ASSERT_EQ(settings.GenerateToFile(path.c_str()).status, BatchStatus::Written);
    EXPECT_TRUE(std::regex_match(Read(path), std::regex("((a|\xE2\x82\xAC|\xC3\xA9){6}\r\n){50}")));
}

TEST_F(GeneratorSettingsTest, GenerateToFileWritesNothingWhenItCannotWork) {
    const std::string existing = Path("existing.txt");
    const std::string fresh = Path("fresh.txt");
    Write(existing, "keep");
    const GeneratorSettings none = Record({1, 7, 0, 0, 0, "", 1, ""});
    const GeneratorSettings huge = Record({INT32_MAX, INT32_MAX, 1, 1, 1, "", 0, kSymbols});
    const GeneratorSettings longer = Record({4, 10000, 1, 1, 1, "", 0, kSymbols}); // three fills
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    for (const std::string& path : {existing, fresh}) {
        EXPECT_EQ(none.GenerateToFile(path.c_str()).status, BatchStatus::EmptyAlphabet);
        EXPECT_EQ(huge.GenerateToFile(path.c_str()).status, BatchStatus::TooLarge);
        for (const int goodFills : {0, 1}) { // the first fill fails, or a later one
            int fills = 0;
            platform::SetRandomFillForTesting(
                [&fills, goodFills](unsigned char*, std::size_t) { return fills++ < goodFills; });
            EXPECT_EQ(longer.GenerateToFile(path.c_str()).status, BatchStatus::RandomFailed);
        }
        platform::SetRandomFillForTesting({});
    }
    getrusage(RUSAGE_SELF, &after);
    // Refused before any work: a run that cannot be made fills no memory on its way out.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "peak resident kilobytes grew";
    EXPECT_EQ(Read(existing), "keep");
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const BatchResult result = Defaults().GenerateToFile(Path("no/such/dir.txt").c_str());
    EXPECT_EQ(result.status, BatchStatus::WriteFailed);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_FALSE(std::filesystem::exists(Path("no")));
}
