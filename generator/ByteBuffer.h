#pragma once

#include "platform/os/CString.h"

#include <cstdint>
#include <cstdio>
#include <optional>

// An owned, growable array of bytes. Values are appended to it (a text always together with its
// zero byte); copies are deep. Its file form is the size as a 32-bit little-endian integer
// followed by exactly that many bytes.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(const char* text);
    explicit ByteBuffer(const CString& text);
    explicit ByteBuffer(std::uint8_t byte);
    explicit ByteBuffer(std::int32_t value);
    explicit ByteBuffer(double value);
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ~ByteBuffer();

    void Append(const ByteBuffer& other);
    void Append(const char* text) { Append(ByteBuffer(text)); }
    void Append(const CString& text) { Append(ByteBuffer(text)); }
    void Append(std::uint8_t byte) { Append(ByteBuffer(byte)); }
    void Append(std::int32_t value) { Append(ByteBuffer(value)); }
    void Append(double value) { Append(ByteBuffer(value)); }

    void Clear();
    bool IsZero() const;
    std::int32_t GetSize() const { return m_nSize; }
    const std::uint8_t* GetData() const { return m_pData; }

    // The bytes up to the first zero byte (all of them when there is none) as a text.
    CString GetText() const;

    // Writes the file form; returns false when the stream reported an error.
    bool WriteTo(std::FILE* file) const;
    // Reads one buffer in file form. Returns nothing, and allocates nothing, when the stream
    // ends inside it or the stored size is negative or larger than what is left of the stream.
    static std::optional<ByteBuffer> ReadFrom(std::FILE* file);

private:
    void Assign(const void* data, std::size_t size);

    std::uint8_t* m_pData = nullptr;
    std::int32_t m_nSize = 0;
};

// Reads a 32-bit little-endian signed integer; false, with value unchanged, when fewer than four
// bytes are left.
bool ReadInt32LittleEndian(std::FILE* file, std::int32_t& value);
