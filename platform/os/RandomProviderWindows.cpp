#include "platform/os/RandomProvider.h"

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

namespace platform {
namespace {

bool Acquire(HCRYPTPROV& provider) {
    // The default provider of the full RSA type, no key container: only random bytes are needed.
    return CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) !=
           FALSE;
}

// CryptGenRandom takes a 32-bit length: larger requests go in pieces.
bool Generate(HCRYPTPROV provider, unsigned char* buffer, std::size_t size) {
    constexpr std::size_t kPiece = 1u << 30;
    for (std::size_t done = 0; done < size;) {
        const std::size_t piece = size - done < kPiece ? size - done : kPiece;
        if (!CryptGenRandom(provider, DWORD(piece), buffer + done))
            return false;
        done += piece;
    }
    return true;
}

} // namespace

bool FillFromSystem(unsigned char* buffer, std::size_t size) {
    HCRYPTPROV provider = 0;
    if (!Acquire(provider))
        return false;
    const bool filled = Generate(provider, buffer, size);
    CryptReleaseContext(provider, 0);
    return filled;
}

RandomProvider::RandomProvider() {
    HCRYPTPROV provider = 0;
    m_bAcquired = Acquire(provider);
    m_hProv = m_bAcquired ? provider : 0;
}

RandomProvider::~RandomProvider() {
    // Released only if it was acquired.
    if (m_bAcquired)
        CryptReleaseContext(HCRYPTPROV(m_hProv), 0);
    m_bAcquired = false;
}

bool RandomProvider::FillFromProvider(unsigned char* buffer, std::size_t size) {
    return Generate(HCRYPTPROV(m_hProv), buffer, size);
}

} // namespace platform
