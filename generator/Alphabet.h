#pragma once

#include "platform/os/CString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The characters that passwords are drawn from, in the order the alphabet text holds them;
// duplicates stay. Where texts are UTF-8 (POSIX) a character is one valid UTF-8 sequence, or a
// lone byte where the text is not valid UTF-8, so a draw never splits a character. Where texts
// are single-byte (Windows code pages) every byte is a character.
class Alphabet {
public:
    explicit Alphabet(CString text);

    std::uint32_t Count() const { return std::uint32_t(m_starts.size() - 1); }
    bool IsEmpty() const { return Count() == 0; }
    // The widest character in bytes: 1 for an ASCII alphabet, at most 4.
    std::size_t MaxCharBytes() const { return m_nMaxCharBytes; }
    std::string_view At(std::uint32_t index) const {
        return std::string_view(m_text).substr(m_starts[index],
                                               m_starts[index + 1] - m_starts[index]);
    }
    const CString& Text() const { return m_text; }

private:
    CString m_text;
    std::vector<std::size_t> m_starts; // start of each character, then the text's length
    std::size_t m_nMaxCharBytes = 1;
};
