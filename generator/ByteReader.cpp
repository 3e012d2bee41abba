#include "generator/ByteReader.h"

#include <algorithm>
#include <cstring>

ByteReader::ByteReader(const ByteBuffer& buffer) : m_nLength(buffer.GetSize()) {
    if (m_nLength > 0) {
        m_pBytes.reset(new std::uint8_t[std::size_t(m_nLength)]);
        std::memcpy(m_pBytes.get(), buffer.GetData(), std::size_t(m_nLength));
    }
}

void ByteReader::ReadBytes(void* destination, std::int32_t count) {
    auto* out = static_cast<std::uint8_t*>(destination);
    for (std::int32_t i = 0; i < count && m_nPosition < m_nLength; ++i)
        out[i] = m_pBytes[std::size_t(m_nPosition++)];
}

void ByteReader::ReadInt32(std::int32_t& value) {
    // The bytes lie little-endian whatever the machine's order; bytes past the end of the data
    // keep the corresponding bytes of the caller's value.
    auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        auto byte = std::uint8_t(v >> shift);
        ReadByte(byte);
        v = (v & ~(std::uint32_t(0xFF) << shift)) | std::uint32_t(byte) << shift;
    }
    value = static_cast<std::int32_t>(v);
}

void ByteReader::ReadString(CString& text) {
    const std::int32_t start = m_nPosition;
    std::int32_t end = start;
    while (end < m_nLength && m_pBytes[std::size_t(end)] != 0)
        ++end;
    const std::int32_t length = std::min(end - start, kMaxStringLength);
    text.assign(reinterpret_cast<const char*>(m_pBytes.get()) + start, std::size_t(length));
    m_nPosition = end < m_nLength ? end + 1 : end;
}
