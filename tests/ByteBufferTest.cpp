#include "generator/ByteBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <string>

namespace {

using namespace std::string_literals;

std::string Bytes(const ByteBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()),
                       std::size_t(buffer.GetSize()));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A temporary stream holding bytes, positioned at its start.
File StreamOf(const std::string& bytes) {
    File file(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return file;
}

// The largest array allocation so far: reading a buffer must allocate no more than the stream
// holds, whatever size the stream claims.
std::size_t g_largestArray = 0;

} // namespace

void* operator new[](std::size_t size) {
    g_largestArray = std::max(g_largestArray, size);
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(ByteBuffer, HoldsEachValueInItsByteFormAndAppendsThem) {
    EXPECT_EQ(Bytes(ByteBuffer("abc")), "abc\0"s);
    EXPECT_EQ(Bytes(ByteBuffer(CString("xy"))), "xy\0"s);
    EXPECT_EQ(Bytes(ByteBuffer(std::uint8_t(0xAB))), "\xAB");
    EXPECT_EQ(Bytes(ByteBuffer(std::int32_t(-2))), "\xFE\xFF\xFF\xFF");
    const double value = 1.25;
    EXPECT_EQ(Bytes(ByteBuffer(value)), std::string(reinterpret_cast<const char*>(&value), 8));
    EXPECT_EQ(ByteBuffer().GetData(), nullptr);

    ByteBuffer buffer;
    buffer.Append("ab");
    buffer.Append(CString("cd"));
    buffer.Append(std::uint8_t(7));
    buffer.Append(std::int32_t(0x11223344));
    buffer.Append(ByteBuffer());
    EXPECT_EQ(Bytes(buffer), "ab\0cd\0\x07\x44\x33\x22\x11"s);
    EXPECT_EQ(buffer.GetText(), "ab");
    buffer.Append(buffer);
    EXPECT_EQ(buffer.GetSize(), 22);
    EXPECT_EQ(ByteBuffer(std::uint8_t('z')).GetText(), "z"); // no zero byte: the whole buffer
}

TEST(ByteBuffer, CopiesAreDeepAndClearEmpties) {
    ByteBuffer original("secret");
    ByteBuffer copy(original), assigned("other");
    assigned = original;
    EXPECT_NE(copy.GetData(), original.GetData());
    EXPECT_NE(assigned.GetData(), original.GetData());
    ByteBuffer& self = assigned;
    assigned = self;
    original.Clear();
    EXPECT_EQ(original.GetSize(), 0);
    EXPECT_EQ(original.GetData(), nullptr);
    EXPECT_EQ(Bytes(copy), "secret\0"s);
    EXPECT_EQ(Bytes(assigned), "secret\0"s);
}

TEST(ByteBuffer, IsZeroWhenEmptyOrEveryByteIsZero) {
    EXPECT_TRUE(ByteBuffer().IsZero());
    EXPECT_TRUE(ByteBuffer("").IsZero());
    EXPECT_TRUE(ByteBuffer(CString(1000, '\0')).IsZero());
    ByteBuffer last(std::int32_t(0));
    last.Append(std::uint8_t(1));
    EXPECT_FALSE(last.IsZero());
    last.Clear();
    EXPECT_TRUE(last.IsZero());
}

TEST(ByteBuffer, FileFormIsSizeThenBytesAndReadsBack) {
    File file(std::tmpfile());
    ASSERT_TRUE(ByteBuffer("hi").WriteTo(file.get()));
    ASSERT_TRUE(ByteBuffer().WriteTo(file.get()));
    std::rewind(file.get());
    char raw[12] = {};
    ASSERT_EQ(std::fread(raw, 1, sizeof raw, file.get()), 11u);
    EXPECT_EQ(std::string(raw, 11), "\x03\0\0\0hi\0\0\0\0\0"s);

    std::rewind(file.get());
    const std::optional<ByteBuffer> text = ByteBuffer::ReadFrom(file.get());
    const std::optional<ByteBuffer> empty = ByteBuffer::ReadFrom(file.get());
    ASSERT_TRUE(text && empty);
    EXPECT_EQ(Bytes(*text), "hi\0"s);
    EXPECT_EQ(empty->GetSize(), 0);
    EXPECT_FALSE(ByteBuffer::ReadFrom(file.get())); // nothing left
}

TEST(ByteBuffer, ReadFromRefusesCutOrImpossibleSizes) {
    const auto sizeField = [](std::uint32_t size) { return Bytes(ByteBuffer(std::int32_t(size))); };
    EXPECT_TRUE(ByteBuffer::ReadFrom(StreamOf(sizeField(2) + "ab").get()));
    const std::string bad[] = {
        sizeField(2).substr(0, 2),    // cut inside the size
        sizeField(3) + "ab",          // one byte short
        sizeField(0xFFFFFFFF) + "ab", // negative
        sizeField(0x80000000) + "ab", // most negative
        sizeField(0x7FFFFFFF) + "ab", // far more than the stream holds
    };
    g_largestArray = 0;
    for (const std::string& bytes : bad) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_FALSE(ByteBuffer::ReadFrom(StreamOf(bytes).get()));
    }
    EXPECT_LE(g_largestArray, 2u);
}
