#include "generator/ByteReader.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(ByteReader, ReadsBackWhatAppendWrote) {
    ByteBuffer buffer;
    buffer.Append(std::uint8_t(0xC3));
    buffer.Append(std::int32_t(-123456789));
    buffer.Append(2.5);
    buffer.Append("first");
    buffer.Append(CString("second"));
    ByteReader reader(buffer);
    buffer.Clear(); // the reader holds its own copy
    EXPECT_EQ(reader.GetLength(), 1 + 4 + 8 + 6 + 7);

    std::uint8_t byte = 0;
    std::int32_t value = 0;
    double real = 0;
    CString first, second, after = "unchanged";
    reader.ReadByte(byte);
    reader.ReadInt32(value);
    reader.ReadDouble(real);
    reader.ReadString(first);
    reader.ReadString(second);
    reader.ReadString(after);
    EXPECT_EQ(byte, 0xC3);
    EXPECT_EQ(value, -123456789);
    EXPECT_EQ(real, 2.5);
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "second");
    EXPECT_EQ(after, ""); // nothing left: an empty text
}

TEST(ByteReader, ValueCutByTheEndOfDataKeepsTheCallersRemainingBytes) {
    ByteBuffer two(std::uint8_t(0x11));
    two.Append(std::uint8_t(0x22));

    std::int32_t value = std::int32_t(0xAABBCCDD);
    ByteReader(two).ReadInt32(value);
    EXPECT_EQ(std::uint32_t(value), 0xAABB2211u);

    double real = -1.0;
    unsigned char expected[sizeof real];
    std::memcpy(expected, &real, sizeof real);
    expected[0] = 0x11;
    expected[1] = 0x22;
    ByteReader(two).ReadDouble(real);
    EXPECT_EQ(std::memcmp(&real, expected, sizeof real), 0);

    char bytes[5] = {'v', 'w', 'x', 'y', 'z'};
    ByteReader reader(two);
    reader.ReadBytes(bytes + 1, 3);
    EXPECT_EQ(std::string(bytes, 5), "v\x11\x22yz");
    std::uint8_t byte = 9;
    reader.ReadByte(byte);
    EXPECT_EQ(byte, 9);

    std::int32_t untouched = 77;
    ByteReader(ByteBuffer()).ReadInt32(untouched);
    EXPECT_EQ(untouched, 77);
}

TEST(ByteReader, ReadStringStopsAtEndOfDataAndTruncatesLongTexts) {
    ByteBuffer noZero(std::uint8_t('x'));
    noZero.Append(std::uint8_t('y'));
    CString text;
    ByteReader(noZero).ReadString(text);
    EXPECT_EQ(text, "xy");

    ByteBuffer longText(CString(20000, 'L'));
    longText.Append("next");
    ByteReader reader(longText);
    reader.ReadString(text);
    EXPECT_EQ(text, CString(ByteReader::kMaxStringLength, 'L'));
    EXPECT_EQ(ByteReader::kMaxStringLength, 16383);
    reader.ReadString(text); // the rest of the long text was passed over
    EXPECT_EQ(text, "next");

    ByteBuffer exact(CString(16383, 'E'));
    ByteReader(exact).ReadString(text);
    EXPECT_EQ(text.size(), 16383u);
}
