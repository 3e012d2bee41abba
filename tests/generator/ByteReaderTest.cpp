#include "generator/ByteReader.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsItsOwnCopyAndKeepsTheCallersBytesWhereTheDataRunsOut) {
    ByteBuffer buffer(std::int32_t(-123456789));
    buffer.Append(CString(20000, 'L'));
    buffer.Append("next");
    buffer.Append(std::uint8_t('x'));
    buffer.Append(std::uint8_t(0x22));
    ByteReader reader(buffer), strings(buffer);
    buffer.Clear();
    std::int32_t value = 0, cut = std::int32_t(0xAABBCCDD);
    CString longText, next, tail;
    reader.ReadInt32(value);
    reader.ReadString(longText); // cut to kMaxStringLength, the rest passed over
    reader.ReadString(next);
    reader.ReadInt32(cut); // two bytes left
    EXPECT_EQ(value, -123456789);
    EXPECT_EQ(longText, CString(16383, 'L'));
    EXPECT_EQ(next, "next");
    EXPECT_EQ(std::uint32_t(cut), 0xAABB2278u);
    strings.ReadInt32(value);
    for (int i = 0; i < 3; ++i)
        strings.ReadString(tail); // the third ends with the data, without a zero byte
    EXPECT_EQ(tail, "x\x22");
}
