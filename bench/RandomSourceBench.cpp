// Indices per second through the two draws of CryptoRandomSource, fed through the provider's
// test seam by a copy of fixed pseudo-random bytes, so that only the draw itself is measured.
#include "generator/RandomSource.h"
#include "platform/os/RandomProvider.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kAlphabet = 62;

// A subclass turns the buffered draw off, as an overridden draw would.
class DerivedSource : public CryptoRandomSource {};

void FeedFixedBytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> v(CryptoRandomSource::kBufferSize);
        std::uint64_t x = 0x9E3779B97F4A7C15u;
        for (unsigned char& b : v) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            b = static_cast<unsigned char>(x);
        }
        return v;
    }();
    platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t size) {
        for (std::size_t done = 0; done < size; done += bytes.size())
            std::memcpy(buffer + done, bytes.data(), std::min(bytes.size(), size - done));
        return true;
    });
}

void DrawVirtual(benchmark::State& state) {
    FeedFixedBytes();
    DerivedSource derived;
    RandomSource& source = derived;
    for (auto _ : state)
        benchmark::DoNotOptimize(source.NextIndex(kAlphabet));
    state.SetItemsProcessed(state.iterations());
    platform::SetRandomFillForTesting({});
}

void DrawFast(benchmark::State& state) {
    FeedFixedBytes();
    CryptoRandomSource source;
    constexpr std::size_t kChunk = 256; // the chunk PasswordMaker draws at a time
    std::uint32_t indices[kChunk];
    for (auto _ : state) {
        source.FillIndices(kAlphabet, indices, kChunk);
        benchmark::DoNotOptimize(indices);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(kChunk));
    platform::SetRandomFillForTesting({});
}

} // namespace

BENCHMARK(DrawVirtual);
BENCHMARK(DrawFast);
BENCHMARK_MAIN();
