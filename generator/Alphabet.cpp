#include "generator/Alphabet.h"

#include "platform/os/Characters.h"

#include <algorithm>
#include <utility>

Alphabet::Alphabet(CString text) : m_text(std::move(text)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_text.data());
    const std::size_t size = m_text.size();
    m_starts.reserve(size + 1);
    std::size_t pos = 0;
    while (pos < size) {
        m_starts.push_back(pos);
        const std::size_t length = platform::CharacterLength(bytes + pos, size - pos);
        m_nMaxCharBytes = std::max(m_nMaxCharBytes, length);
        pos += length;
    }
    m_starts.push_back(size);
}
