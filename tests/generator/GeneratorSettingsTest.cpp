#include "generator/GeneratorSettings.h"

#include "tests/generator/SettingsFields.h"
#include "tests/support/Files.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <tuple>

using namespace std::string_literals;
using namespace testing_support;

// A file's buffer sizes are untrusted: loading allocates no more than the file holds.
static std::size_t g_largestArray = 0;

static void* Allocate(std::size_t size) {
    g_largestArray = std::max(g_largestArray, size);
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size) {
    void* const p = Allocate(size);
    return p != nullptr ? p : throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(GeneratorSettings, SaveWritesTheFileFormAndLoadTakesOnlyWhatIsWhole) {
    const TempDir dir;
    const std::string path = (dir / "gen.cfg").string();
    const auto load = [&path](const std::string& bytes, GeneratorSettings record) {
        WriteFile(path, bytes);
        g_largestArray = 0;
        record.Load(path.c_str());
        EXPECT_LE(g_largestArray, 64u) << testing::PrintToString(bytes);
        return Fields(record);
    };
    GeneratorSettings settings = GeneratorSettings::Instance(); // the defaults
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
            expected = std::make_tuple(0xE8, 20, 0, 2, 0, "geo", 4, 0,
                                       GeneratorSettings::kDefaultSpecial, 16);
        if (cut >= 21)
            expected = std::make_tuple(cut < 25 ? 0xE8 : 1000, 20, 0, 2, 0, "geo", 4, 1, "xy", 3);
        EXPECT_EQ(load(full.substr(0, cut), before), expected) << "file cut to " << cut;
    }
    // Negative sizes, sizes one more than the bytes left, and the largest size.
    for (const std::string& size : {"\xFF\xFF\xFF\xFF"s, "\x11\0\0\0"s, "\xFF\xFF\xFF\x7F"s})
        EXPECT_EQ(load(full.substr(0, 5) + size + full.substr(9), before), Fields(before));
    for (const std::string& size : {"\0\0\0\x80"s, "\x08\0\0\0"s})
        EXPECT_EQ(load(full.substr(0, 14) + size + full.substr(18), before), Fields(before));
}
