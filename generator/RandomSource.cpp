#include "generator/RandomSource.h"

#include "platform/os/Memory.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <typeinfo>

std::int32_t RandomSource::s_nSeedCalls = 0;

RandomSource::~RandomSource() = default;

void RandomSource::SeedWithText(const char* text) {
    std::uint32_t seed = 0;
    for (const char* p = text; *p != '\0'; ++p)
        seed = seed * 256u + static_cast<unsigned char>(*p);
    SeedWithValue(static_cast<std::int32_t>(seed));
}

void RandomSource::SeedWithValue(std::int32_t value) {
    std::srand(static_cast<unsigned>(value));
}

void RandomSource::SeedWithTime() {
    const auto value =
        static_cast<std::uint32_t>(std::time(nullptr)) + static_cast<std::uint32_t>(s_nSeedCalls);
    ++s_nSeedCalls;
    SeedWithValue(static_cast<std::int32_t>(value));
}

std::uint32_t RandomSource::Next32() {
    const std::uint32_t high = Next16();
    const std::uint32_t low = Next16();
    return high << 16 | low;
}

std::uint16_t RandomSource::Next16() {
    const unsigned high = Next8();
    const unsigned low = Next8();
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::uint8_t RandomSource::Next8() {
    return static_cast<std::uint8_t>(std::rand() & 0xFF);
}

double RandomSource::NextInRange(double low, double high) {
    const double u = NextUnit();
    return low + u * (high - low);
}

double RandomSource::NextUpTo(double limit) {
    return NextUnit() * limit;
}

double RandomSource::NextUnit() {
    return double(Next32()) * kTwoToMinus32;
}

std::int32_t RandomSource::NextIndex(std::uint32_t count) {
    const double u = NextUnit();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(u * double(count)));
}

CryptoRandomSource::CryptoRandomSource()
    : m_pBuffer(new std::uint8_t[kBufferSize]), m_bFailed(!m_hProv.IsAcquired()) {}

CryptoRandomSource::~CryptoRandomSource() {
    platform::SecureWipe(m_pBuffer.get(), kBufferSize);
}

void CryptoRandomSource::Refill() {
    if (m_bFailed || !m_hProv.Fill(m_pBuffer.get(), kBufferSize)) {
        // Never hand out bytes the provider did not supply: the source stays failed and yields
        // zeros, which its users discard.
        m_bFailed = true;
        std::memset(m_pBuffer.get(), 0, kBufferSize);
    }
    m_nPos = 0;
}

bool CryptoRandomSource::EnsureBytes() {
    if (m_nPos >= kBufferSize)
        Refill();
    return !m_bFailed;
}

std::uint8_t CryptoRandomSource::Next8() {
    if (m_nPos >= kBufferSize)
        Refill();
    return m_pBuffer[std::size_t(m_nPos++)];
}

bool CryptoRandomSource::DrawsAreOwn() const {
    return typeid(*this) == typeid(CryptoRandomSource);
}

void CryptoRandomSource::FillIndices(std::uint32_t alphabetSize, std::uint32_t* indices,
                                     std::size_t count) {
    DrawIndices(alphabetSize, count, indices, [](std::uint32_t* at, std::uint32_t index) {
        *at = index;
        return at + 1;
    });
}
