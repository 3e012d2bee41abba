// Prints the best rate, in bytes per second, at which the OS generator fills 65,536-byte
// requests: usage os-random-rate [SECONDS-PER-REPETITION [REPETITIONS]].
#include "generator/RandomSource.h"
#include "platform/os/RandomProvider.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
    std::vector<unsigned char> buffer(CryptoRandomSource::kBufferSize);
    double best = 0;
    for (int r = 0; r < repetitions; ++r) {
        std::size_t bytes = 0;
        const Clock::time_point start = Clock::now();
        std::chrono::duration<double> elapsed{};
        do {
            for (int i = 0; i < 64; ++i) {
                if (!platform::FillFromSystem(buffer.data(), buffer.size())) {
                    std::fputs("os-random-rate: getrandom failed\n", stderr);
                    return 1;
                }
            }
            bytes += 64 * buffer.size();
            elapsed = Clock::now() - start;
        } while (elapsed.count() < seconds);
        if (bytes / elapsed.count() > best)
            best = bytes / elapsed.count();
    }
    std::printf("%.0f\n", best);
    return 0;
}
