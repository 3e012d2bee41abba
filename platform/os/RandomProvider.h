#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

// The operating system's cryptographic random generator: getrandom on Linux; on Windows the
// CryptoAPI's default RSA provider, acquired by construction (CryptAcquireContextA, no key
// container, CRYPT_VERIFYCONTEXT) and released by destruction. Fill either supplies all size bytes
// or reports failure; it never returns bytes that did not come from the provider.
class RandomProvider {
public:
    RandomProvider();
    ~RandomProvider();
    RandomProvider(const RandomProvider&) = delete;
    RandomProvider& operator=(const RandomProvider&) = delete;

    bool IsAcquired() const { return m_bAcquired; }
    bool Fill(unsigned char* buffer, std::size_t size);

private:
    bool FillFromProvider(unsigned char* buffer, std::size_t size);

    bool m_bAcquired = false;
    std::uintptr_t m_hProv = 0; // the CryptoAPI provider's handle (Windows)
};

// Test seam: while set, every Fill is answered by this function instead of the OS. It returns
// false to simulate a failed fill. Pass an empty function to restore the OS provider.
using RandomFillFunction = std::function<bool(unsigned char* buffer, std::size_t size)>;
void SetRandomFillForTesting(RandomFillFunction fill);

// Fills from the OS provider, bypassing the seam; used by benchmarks to measure the raw rate.
bool FillFromSystem(unsigned char* buffer, std::size_t size);

} // namespace platform
