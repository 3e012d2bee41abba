#include "generator/PasswordMaker.h"

#include "platform/os/Memory.h"

#include <algorithm>
#include <cstring>
#include <new>

SecretBuffer::~SecretBuffer() {
    Release();
}

bool SecretBuffer::Allocate(std::size_t size) {
    Release();
    m_pData = new (std::nothrow) char[size];
    if (m_pData == nullptr)
        return false;
    m_nSize = size;
    return true;
}

void SecretBuffer::Release() {
    platform::SecureWipe(m_pData, m_nSize);
    delete[] m_pData;
    m_pData = nullptr;
    m_nSize = 0;
}

PasswordMaker::PasswordMaker(CryptoRandomSource& source, const Alphabet& alphabet,
                             std::int32_t length)
    : m_source(source), m_alphabet(alphabet),
      m_nLength(std::size_t(std::max<std::int32_t>(length, 0))),
      m_nLineBytes(m_nLength * alphabet.MaxCharBytes() + 2), m_bFastDraw(source.DrawsAreOwn()) {}

std::size_t PasswordMaker::MakeOne(char* out) {
    return m_alphabet.MaxCharBytes() == 1 ? Make<true>(out) : Make<false>(out);
}

template <bool SingleByte> std::size_t PasswordMaker::Make(char* out) {
    const std::uint32_t n = m_alphabet.Count();
    // The write position is a local whose address is never taken, so the compiler can keep it
    // in a register although the character stores could alias anything else.
    char* p = out;
    if constexpr (SingleByte) {
        const char* text = m_alphabet.Text().data();
        if (m_bFastDraw) {
            p = m_source.DrawIndices(n, m_nLength, p, [text](char* at, std::uint32_t index) {
                *at = text[index];
                return at + 1;
            });
        } else {
            for (std::size_t i = 0; i < m_nLength; ++i)
                *p++ = text[static_cast<std::uint32_t>(m_source.NextIndex(n))];
        }
    } else {
        auto put = [this](char* at, std::uint32_t index) {
            const std::string_view c = m_alphabet.At(index);
            std::memcpy(at, c.data(), c.size());
            return at + c.size();
        };
        if (m_bFastDraw) {
            p = m_source.DrawIndices(n, m_nLength, p, put);
        } else {
            for (std::size_t i = 0; i < m_nLength; ++i)
                p = put(p, static_cast<std::uint32_t>(m_source.NextIndex(n)));
        }
    }
    if (m_source.Failed())
        return 0;
    *p++ = '\r';
    *p++ = '\n';
    return std::size_t(p - out);
}
