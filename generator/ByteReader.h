#pragma once

#include "generator/ByteBuffer.h"
#include "platform/os/CString.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Reads values back out of a private copy of a ByteBuffer, from its start, one byte after the
// other. A value that the remaining data does not cover keeps the caller's previous bytes.
class ByteReader {
public:
    explicit ByteReader(const ByteBuffer& buffer);

    std::int32_t GetLength() const { return m_nLength; }

    void ReadBytes(void* destination, std::int32_t count);
    void ReadByte(std::uint8_t& value) { ReadBytes(&value, 1); }
    void ReadInt32(std::int32_t& value);
    void ReadDouble(double& value) { ReadBytes(&value, sizeof value); }
    // Reads up to and including the next zero byte (or to the end of the data) and yields the
    // bytes before it, at most kMaxStringLength of them.
    void ReadString(CString& text);

    static constexpr std::int32_t kMaxStringLength = 16383;

private:
    std::unique_ptr<std::uint8_t[]> m_pBytes;
    std::int32_t m_nLength = 0;
    std::int32_t m_nPosition = 0;
};
