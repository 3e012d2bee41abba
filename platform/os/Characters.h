#pragma once

#include <cstddef>

namespace platform {

// The length in bytes of the character at text[0..size), size at least 1. The system's texts are
// 8-bit texts of the platform's code page: UTF-8 on POSIX, where a character is one well-formed
// UTF-8 sequence (or one lone byte where the text is not valid UTF-8); a single-byte ANSI code
// page on Windows, where every byte is a character.
std::size_t CharacterLength(const unsigned char* text, std::size_t size);

} // namespace platform
