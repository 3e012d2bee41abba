#pragma once

#include <cstddef>

// A byte that continues a UTF-8 sequence rather than starting one.
inline bool IsUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length in bytes of the well-formed UTF-8 sequence at text[0..size): 2 to 4, or 1 for a plain
// byte and for a byte that starts no valid sequence (overlong forms, surrogates and values above
// U+10FFFF start none).
std::size_t Utf8SequenceLength(const unsigned char* text, std::size_t size);
