#include "generator/ByteBuffer.h"

#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr std::size_t kMaxSize = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Bytes left between the stream's position and its end, or nothing when the stream cannot
// tell (a pipe, say).
std::optional<long> BytesLeft(std::FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return std::nullopt;
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || end < here)
        return std::nullopt;
    return end - here;
}

} // namespace

bool ReadInt32LittleEndian(std::FILE* file, std::int32_t& value) {
    unsigned char bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4)
        return false;
    const std::uint32_t v = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                            std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    value = static_cast<std::int32_t>(v);
    return true;
}

ByteBuffer::ByteBuffer(const char* text) {
    Assign(text, std::strlen(text) + 1);
}

ByteBuffer::ByteBuffer(const CString& text) {
    Assign(text.c_str(), text.size() + 1);
}

ByteBuffer::ByteBuffer(std::uint8_t byte) {
    Assign(&byte, 1);
}

ByteBuffer::ByteBuffer(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                   std::uint8_t(v >> 24)};
    Assign(bytes, 4);
}

ByteBuffer::ByteBuffer(double value) {
    Assign(&value, sizeof value);
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) {
    Assign(other.m_pData, std::size_t(other.m_nSize));
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : m_pData(std::exchange(other.m_pData, nullptr)), m_nSize(std::exchange(other.m_nSize, 0)) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        Clear();
        Assign(other.m_pData, std::size_t(other.m_nSize));
    }
    return *this;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        Clear();
        m_pData = std::exchange(other.m_pData, nullptr);
        m_nSize = std::exchange(other.m_nSize, 0);
    }
    return *this;
}

ByteBuffer::~ByteBuffer() {
    Clear();
}

void ByteBuffer::Assign(const void* data, std::size_t size) {
    if (size == 0 || size > kMaxSize)
        return;
    m_pData = new std::uint8_t[size];
    std::memcpy(m_pData, data, size);
    m_nSize = static_cast<std::int32_t>(size);
}

void ByteBuffer::Append(const ByteBuffer& other) {
    if (other.m_nSize == 0)
        return;
    const std::size_t total = std::size_t(m_nSize) + std::size_t(other.m_nSize);
    if (total > kMaxSize)
        return; // a buffer never grows past what its 32-bit size can count
    auto* joined = new std::uint8_t[total];
    if (m_nSize > 0)
        std::memcpy(joined, m_pData, std::size_t(m_nSize));
    std::memcpy(joined + m_nSize, other.m_pData, std::size_t(other.m_nSize));
    delete[] m_pData;
    m_pData = joined;
    m_nSize = static_cast<std::int32_t>(total);
}

void ByteBuffer::Clear() {
    delete[] m_pData;
    m_pData = nullptr;
    m_nSize = 0;
}

bool ByteBuffer::IsZero() const {
    for (std::int32_t i = 0; i < m_nSize; ++i) {
        if (m_pData[i] != 0)
            return false;
    }
    return true;
}

CString ByteBuffer::GetText() const {
    if (m_nSize == 0)
        return CString();
    const auto* data = reinterpret_cast<const char*>(m_pData);
    const void* nul = std::memchr(data, 0, std::size_t(m_nSize));
    const std::size_t length =
        nul != nullptr ? std::size_t(static_cast<const char*>(nul) - data) : std::size_t(m_nSize);
    return CString(data, length);
}

bool ByteBuffer::WriteTo(std::FILE* file) const {
    const ByteBuffer size(m_nSize);
    bool ok = std::fwrite(size.m_pData, 1, 4, file) == 4;
    if (m_nSize > 0)
        ok = std::fwrite(m_pData, 1, std::size_t(m_nSize), file) == std::size_t(m_nSize) && ok;
    return ok;
}

std::optional<ByteBuffer> ByteBuffer::ReadFrom(std::FILE* file) {
    std::int32_t size = 0;
    if (!ReadInt32LittleEndian(file, size) || size < 0)
        return std::nullopt;
    ByteBuffer buffer;
    if (size == 0)
        return buffer;
    const std::optional<long> left = BytesLeft(file);
    if (!left || *left < size)
        return std::nullopt;
    buffer.m_pData = new std::uint8_t[std::size_t(size)];
    buffer.m_nSize = size;
    if (std::fread(buffer.m_pData, 1, std::size_t(size), file) != std::size_t(size))
        return std::nullopt;
    return buffer;
}
