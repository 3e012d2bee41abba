#include "generator/RandomSource.h"

#include "tests/support/ScriptedFills.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace testing_support;

// FillIndices draws what NextIndex draws, the same bytes in the same order, each index below the
// size, whether or not the fills are fetched ahead on a second thread, which is gone once the
// fetching stops. size % 4 single bytes go first, so that an index straddles each refill. The
// first fill starts 00 00 00 00 FF FF FF FE, whose index onto 2^31 + 4 double precision rounds
// up to the size.
TEST(RandomSource, FillIndicesDrawsWhatNextIndexDrawsWithOrWithoutPrefetching) {
    const long threads = ThreadCount();
    constexpr std::size_t kDraws = 5 * 16384 + 100; // six fills
    for (const std::uint32_t size : {1u, 62u, 77u, (1u << 21) - 1, 1u << 21, 0x80000004u, ~0u}) {
        const auto bytes = [next = SeededBytes(size), k = 0](int fill) mutable {
            constexpr std::uint8_t kLead[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE};
            return k < 8 ? kLead[k++] : next(fill);
        };
        std::vector<std::uint32_t> expected(kDraws);
        {
            const ScriptedFills fills(bytes);
            CryptoRandomSource slow;
            for (std::uint32_t i = 0; i < size % 4; ++i)
                slow.Next8();
            for (std::uint32_t& index : expected)
                index = std::uint32_t(slow.NextIndex(size));
        }
        for (const bool prefetch : {false, true}) {
            SCOPED_TRACE(testing::Message() << size << (prefetch ? ", prefetched" : ""));
            const ScriptedFills fills(bytes);
            CryptoRandomSource fast;
            if (prefetch)
                fast.PrefetchFor(size % 4 + 4 * kDraws);
            for (std::uint32_t i = 0; i < size % 4; ++i)
                fast.Next8();
            std::vector<std::uint32_t> got(kDraws);
            EXPECT_EQ(fast.FillIndices(size, got.data(), 1), 1u);
            EXPECT_EQ(fast.FillIndices(size, got.data() + 1, kDraws - 1), kDraws - 1);
            fast.StopPrefetching();
            EXPECT_EQ(ThreadCount(), threads);
            EXPECT_EQ(fills.Fills(), 6);
            EXPECT_EQ(fills.FetchedElsewhere(), prefetch);
            EXPECT_TRUE(got == expected);
            EXPECT_LT(*std::max_element(got.begin(), got.end()), size);
        }
    }
}

// The k-th fill fails: every index of the good fills is drawn, none of fill k (not even one that
// straddles into it), none is asked for after it, and a fetching thread ends there.
TEST(RandomSource, AFailedFillStopsTheDrawsBeforeAnyIndexIsDrawnFromIt) {
    const long threads = ThreadCount();
    constexpr std::size_t kDraws = 4 * 16384;
    for (const int k : {1, 2, 3}) {
        for (const int mode : {0, 1, 2, 3}) { // prefetched or not; with a lead byte or not
            const bool prefetch = mode & 1;
            const std::size_t lead = mode >> 1;
            SCOPED_TRACE(testing::Message() << "fill " << k << " fails, mode " << mode);
            const ScriptedFills fills(SeededBytes(7), k);
            CryptoRandomSource source;
            if (prefetch)
                source.PrefetchFor(lead + 4 * kDraws);
            for (std::size_t i = 0; i < lead; ++i)
                source.Next8();
            std::vector<std::uint32_t> indices(kDraws, ~0u);
            const std::size_t good = (std::max<std::size_t>(65536 * (k - 1), lead) - lead) / 4;
            EXPECT_EQ(source.FillIndices(62, indices.data(), kDraws), good);
            EXPECT_TRUE(source.Failed());
            EXPECT_EQ(ThreadCount(), threads);
            EXPECT_EQ(source.FillIndices(62, indices.data(), kDraws), 0u);
            EXPECT_EQ(std::size_t(std::count(indices.begin(), indices.end(), ~0u)), kDraws - good);
            EXPECT_EQ(fills.Fills(), k);
        }
    }
}
