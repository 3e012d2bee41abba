#include "platform/os/RandomProvider.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

// The system's provider (getrandom, or the CryptoAPI on Windows) fills whole buffers of fresh
// bytes. (Its test seam serves every test of what is drawn from it.)
TEST(RandomProviderTest, FillsWholeBuffersFromTheSystem) {
    platform::RandomProvider provider;
    ASSERT_TRUE(provider.IsAcquired());
    std::vector<unsigned char> first(65536), second(65536);
    ASSERT_TRUE(provider.Fill(first.data(), first.size()));
    ASSERT_TRUE(provider.Fill(second.data(), second.size()));
    EXPECT_NE(first, second);
    // Every byte value turns up in 65,536 random bytes (one fails to with a chance of ~2^-359).
    std::vector<bool> seen(256);
    for (const unsigned char byte : first)
        seen[byte] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 256);
}
