#include "generator/RandomSource.h"

#include "platform/os/Memory.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>
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

// Fetches a given number of fills from the provider on a thread of its own, ahead of the drawing
// thread, into spare buffers that are taken in the order they were filled. Each taken fill
// is exchanged for the buffer just drawn out, which is filled again in its turn.
//
// Either thread sleeps on a condition while it waits for the other. Waking a thread costs the
// waker a system call and the sleeper a trip through the scheduler, so they wake each other once
// per batch of fills, not once per fill: the drawing thread, having drawn every fetched fill,
// sleeps until a batch is ready (or the last fill), and the fetching thread, finding every spare
// full, sleeps until a batch of them is free.
class CryptoRandomSource::Prefetcher {
public:
    // Eight spares (512 KiB), woken for in fours. With one spare, both threads waking for every
    // fill, batch mode ran slower than fetching on its own thread; sixteen gained nothing.
    static constexpr std::size_t kSpares = 8;
    static constexpr std::size_t kBatch = 4;

    // Starts fetching at once; throws when no thread or memory can be had.
    Prefetcher(platform::RandomProvider& provider, std::uint64_t fills)
        : m_provider(provider), m_nLeft(fills) {
        for (std::unique_ptr<std::uint8_t[]>& spare : m_spares)
            spare.reset(new std::uint8_t[kBufferSize]);
        m_thread = std::thread(&Prefetcher::Fetch, this);
    }

    // Waits for a fill in progress and ends the thread.
    ~Prefetcher() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_taken.notify_one();
        m_thread.join();
        for (std::unique_ptr<std::uint8_t[]>& spare : m_spares)
            platform::SecureWipe(spare.get(), kBufferSize);
    }
    Prefetcher(const Prefetcher&) = delete;
    Prefetcher& operator=(const Prefetcher&) = delete;

    enum class Taken { Filled, Failed, None };

    // Exchanges buffer for the next fill, waiting for it when none is ready: Filled or Failed as
    // the provider answered, or None once every fill this was to fetch has been taken (buffer
    // unchanged).
    Taken TakeInto(std::unique_ptr<std::uint8_t[]>& buffer) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_nReady == 0)
            m_fetched.wait(lock, [this] { return m_nReady >= kBatch || m_nLeft == 0; });
        if (m_nReady == 0)
            return Taken::None;
        buffer.swap(m_spares[m_nOldest]);
        const bool filled = m_filled[m_nOldest];
        m_nOldest = (m_nOldest + 1) % kSpares;
        --m_nReady;
        const bool roomForBatch = m_nReady == kSpares - kBatch;
        lock.unlock();
        if (roomForBatch)
            m_taken.notify_one();
        return filled ? Taken::Filled : Taken::Failed;
    }

private:
    void Fetch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            if (m_nReady == kSpares)
                m_taken.wait(lock, [this] { return m_bStop || m_nReady <= kSpares - kBatch; });
            if (m_bStop || m_nLeft == 0)
                return;
            // The first spare after the fetched ones is this thread's until it is counted ready.
            const std::size_t next = (m_nOldest + m_nReady) % kSpares;
            std::uint8_t* const buffer = m_spares[next].get();
            lock.unlock();
            const bool filled = m_provider.Fill(buffer, kBufferSize);
            lock.lock();
            m_filled[next] = filled;
            ++m_nReady;
            // After a failure nothing more is asked of the provider: the source fails for good.
            m_nLeft = filled ? m_nLeft - 1 : 0;
            if (m_nReady == kBatch || m_nLeft == 0)
                m_fetched.notify_one();
        }
    }

    platform::RandomProvider& m_provider;
    std::unique_ptr<std::uint8_t[]> m_spares[kSpares];
    bool m_filled[kSpares] = {}; // the provider supplied all of this spare's fill
    std::mutex m_mutex;
    std::condition_variable m_fetched; // a batch of fills, or the last one, is ready
    std::condition_variable m_taken;   // a batch of spares is free, or the fetching is to stop
    std::uint64_t m_nLeft;             // fills still to fetch, counting one in progress
    std::size_t m_nOldest = 0;         // the spare to be taken next
    std::size_t m_nReady = 0;          // fetched spares not yet taken, from m_nOldest on
    bool m_bStop = false;
    std::thread m_thread;
};

void CryptoRandomSource::PrefetchFor(std::uint64_t bytes) {
    StopPrefetching();
    const std::uint64_t held = std::uint64_t(kBufferSize - m_nPos);
    const std::uint64_t fills = bytes > held ? (bytes - held - 1) / kBufferSize + 1 : 0;
    if (m_bFailed || fills < 2)
        return;
    try {
        m_pPrefetcher = std::make_unique<Prefetcher>(m_hProv, fills);
    } catch (const std::exception&) {
        // No thread or no memory for the spare buffer: the fills are fetched here, as always.
    }
}

void CryptoRandomSource::StopPrefetching() {
    m_pPrefetcher.reset();
}

CryptoRandomSource::~CryptoRandomSource() {
    StopPrefetching();
    platform::SecureWipe(m_pBuffer.get(), kBufferSize);
}

void CryptoRandomSource::Refill() {
    bool filled = false;
    if (!m_bFailed) {
        using Taken = Prefetcher::Taken;
        const Taken taken = m_pPrefetcher ? m_pPrefetcher->TakeInto(m_pBuffer) : Taken::None;
        if (taken == Taken::None) {
            StopPrefetching(); // every fill it was to fetch is drawn: the provider is ours again
            filled = m_hProv.Fill(m_pBuffer.get(), kBufferSize);
        } else {
            filled = taken == Taken::Filled;
        }
    }
    if (!filled) {
        // Never hand out bytes the provider did not supply: the source stays failed and yields
        // zeros, which its users discard. Nothing more is fetched.
        StopPrefetching();
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

std::size_t CryptoRandomSource::FillIndices(std::uint32_t alphabetSize, std::uint32_t* indices,
                                            std::size_t count) {
    const std::uint32_t* end =
        DrawIndices(alphabetSize, count, indices, [](std::uint32_t* at, std::uint32_t index) {
            *at = index;
            return at + 1;
        });
    return std::size_t(end - indices);
}
