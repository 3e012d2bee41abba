#include "generator/ByteBuffer.h"

#include "tests/support/Files.h"

#include <algorithm>
#include <cstdlib>
#include <new>

using namespace std::string_literals;

// Reading a buffer may allocate no more than the stream holds.
static std::size_t g_largestArray = 0;

void* operator new[](std::size_t size) {
    g_largestArray = std::max(g_largestArray, size);
    void* const p = std::malloc(size != 0 ? size : 1);
    return p != nullptr ? p : throw std::bad_alloc();
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(ByteBuffer, CopiesAreDeepAndIsZeroSeesEveryByte) {
    ByteBuffer buffer("ab"), zeros(CString(4, '\0'));
    ByteBuffer copy(buffer), assigned;
    assigned = buffer;
    EXPECT_TRUE(copy.GetData() != buffer.GetData() && assigned.GetData() != buffer.GetData());
    buffer.Clear();
    EXPECT_EQ(copy.GetText() + assigned.GetText(), "abab");
    EXPECT_TRUE(zeros.IsZero() && buffer.IsZero());
    EXPECT_FALSE(copy.IsZero() || ByteBuffer(std::int32_t(1 << 24)).IsZero()); // the last byte
}

TEST(ByteBuffer, FileFormIsSizeThenBytesAndImpossibleSizesAreRefused) {
    const testing_support::TempDir dir;
    const std::string path = (dir / "buffer").string();
    std::FILE* const file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(ByteBuffer("hi").WriteTo(file) && ByteBuffer(std::int32_t(-2)).WriteTo(file));
    std::fclose(file);
    const std::string written = testing_support::ReadFile(path);
    EXPECT_EQ(written, "\x03\0\0\0hi\0\x04\0\0\0\xFE\xFF\xFF\xFF"s);
    const auto sizeRead = [&path](const std::string& bytes) { // -1: refused
        testing_support::WriteFile(path, bytes);
        std::FILE* in = std::fopen(path.c_str(), "rb");
        g_largestArray = 0;
        const std::optional<ByteBuffer> read = ByteBuffer::ReadFrom(in);
        std::fclose(in);
        EXPECT_LE(g_largestArray, 3u) << testing::PrintToString(bytes);
        return read ? read->GetSize() : -1;
    };
    EXPECT_EQ(sizeRead(written), 3);
    // Cut inside the size, inside the bytes; negative sizes; a size larger than the stream.
    for (const std::string& bytes : {written.substr(0, 2), written.substr(0, 6),
                                     "\xFF\xFF\xFF\xFFhi"s, "\0\0\0\x80hi"s, "\xFF\xFF\xFF\x7Fhi"s})
        EXPECT_EQ(sizeRead(bytes), -1) << testing::PrintToString(bytes);
}
