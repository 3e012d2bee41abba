#include "platform/os/RandomProvider.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

// The system's provider (getrandom, or the CryptoAPI on Windows) fills whole buffers of fresh
// bytes; the test seam answers instead of it while it is set, and can fail.
TEST(RandomProviderTest, FillsWholeBuffersFromTheSystemOrTheSeam) {
    platform::RandomProvider provider;
    ASSERT_TRUE(provider.IsAcquired());
    std::vector<unsigned char> first(65536), second(65536);
    ASSERT_TRUE(provider.Fill(first.data(), first.size()));
    ASSERT_TRUE(provider.Fill(second.data(), second.size()));
    EXPECT_NE(first, second);
    // Every byte value turns up in 65,536 random bytes (a chance of about 2^-359 that one does
    // not).
    std::vector<bool> seen(256);
    for (const unsigned char byte : first)
        seen[byte] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 256);

    platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t size) {
        std::fill(buffer, buffer + size, 7);
        return size < 100;
    });
    EXPECT_TRUE(provider.Fill(first.data(), 99) && first[98] == 7);
    EXPECT_FALSE(provider.Fill(first.data(), 100));
    platform::SetRandomFillForTesting({});
    EXPECT_TRUE(platform::FillFromSystem(first.data(), first.size()));
}
