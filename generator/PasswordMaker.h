#pragma once

#include "generator/Alphabet.h"
#include "generator/RandomSource.h"

#include <cstddef>
#include <cstdint>

// A heap byte array for passwords: not initialised when allocated, wiped before it is freed.
class SecretBuffer {
public:
    SecretBuffer() = default;
    ~SecretBuffer();
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    // Replaces the content with size uninitialised bytes; false when memory cannot be had.
    bool Allocate(std::size_t size);
    void Release();
    char* Data() { return m_pData; }
    const char* Data() const { return m_pData; }
    std::size_t Size() const { return m_nSize; }

private:
    char* m_pData = nullptr;
    std::size_t m_nSize = 0;
};

// Makes passwords of one length from one alphabet and random source, in output order: each
// character is the alphabet's character at NextIndex(n). Uses the source's own buffered draw
// when no draw is overridden, which yields the same characters from the same bytes.
class PasswordMaker {
public:
    PasswordMaker(CryptoRandomSource& source, const Alphabet& alphabet, std::int32_t length);

    // Writes one password followed by "\r\n" at out and returns its byte count, which is at
    // most LineBytes(); or returns 0 when the source failed before the password was whole: then
    // whatever was written at out is no password and nothing more can be made.
    std::size_t MakeOne(char* out);
    std::size_t LineBytes() const { return m_nLineBytes; }

private:
    template <bool SingleByte> std::size_t Make(char* out);

    CryptoRandomSource& m_source;
    const Alphabet& m_alphabet;
    std::size_t m_nLength;
    std::size_t m_nLineBytes;
    bool m_bFastDraw;
};
