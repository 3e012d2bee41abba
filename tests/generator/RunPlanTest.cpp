#include "generator/RunPlan.h"

#include "generator/Alphabet.h"
#include "tests/support/Platform.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

constexpr std::int32_t kMax32 = INT32_MAX;
const char kWidest[] = "x\xF0\x9F\x98\x80"; // x and a four-byte character

std::pair<RunStatus, std::uint64_t> Held(const RunPlan& plan, std::size_t limit) {
    const RunOutcome outcome = plan.HoldingWhole(limit);
    return {outcome.status, outcome.bytes};
}

} // namespace

// Each password takes its characters at the widest character's size, and "\r\n"; the buffer adds
// a closing zero, which the holder's limit counts too.
TEST(RunPlan, CountsEveryLineAtItsWidestAndTheClosingZero) {
    const RunPlan plan(2, 1, Alphabet(kWidest));
    const std::size_t line = testing_support::CharacterBytes(4) + 2, buffer = 2 * line + 1;
    EXPECT_EQ(plan.Outcome().status, RunStatus::Done);
    EXPECT_EQ(plan.LineBytes(), line);
    EXPECT_EQ(plan.BufferBytes(), buffer);
    EXPECT_EQ(plan.OutputBytes(), buffer - 1);
    EXPECT_EQ(Held(plan, buffer), std::pair(RunStatus::Done, std::uint64_t(0)));
    EXPECT_EQ(Held(plan, buffer - 1), std::pair(RunStatus::TooLarge, buffer - 1));
}

// Sizes beyond 64 bits are refused at every step of the sum; the largest run of 32-bit counts
// and four-byte characters is just below 2^64, so it is counted, and refused for memory.
TEST(RunPlan, RefusesSizesItCannotCountAndOutputsMemoryCannotHold) {
    constexpr std::int64_t kMax64 = INT64_MAX, kThird = 0x5555555555555555;
    for (const auto& [quantity, length, width] :
         {std::tuple{std::int64_t(kMax32), std::int64_t(kMax32), 8},
          {1, kMax64, 2},
          {1, kMax64, 4},
          {kThird, 1, 1}})
        EXPECT_FALSE(RunPlan::CountBufferBytes(quantity, length, std::size_t(width))) << quantity;
    EXPECT_EQ(RunPlan::CountBufferBytes(kMax32, kMax32, 4), 0xFFFFFFFD00000003u);

    const RunPlan widest(kMax32, kMax32, Alphabet(kWidest));
    EXPECT_EQ(widest.Outcome().status, RunStatus::Done); // streamed, it needs no such memory
    const std::uint64_t widestBytes =
        std::uint64_t(kMax32) * (std::uint64_t(kMax32) * testing_support::CharacterBytes(4) + 2);
    EXPECT_EQ(Held(widest, RunPlan::kNoLimit), std::pair(RunStatus::TooLarge, widestBytes));
    // Below an object's limit, but beyond the machine's memory.
    const RunPlan beyondMemory(kMax32, kMax32, Alphabet("AB"));
    EXPECT_EQ(Held(beyondMemory, RunPlan::kNoLimit).first, RunStatus::TooLarge);
    EXPECT_EQ(Held(RunPlan(1000, 1000, Alphabet("AB")), RunPlan::kNoLimit).first, RunStatus::Done);
    // Nothing to draw from is told apart from any size.
    for (const auto& [quantity, length] : {std::pair{1, 1}, {kMax32, kMax32}}) {
        const RunPlan empty(quantity, length, Alphabet(""));
        EXPECT_EQ(empty.Outcome().status, RunStatus::EmptyAlphabet);
        EXPECT_EQ(empty.HoldingWhole(0).status, RunStatus::EmptyAlphabet);
    }
}
