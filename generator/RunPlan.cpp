#include "generator/RunPlan.h"

#include "generator/Alphabet.h"
#include "platform/os/Memory.h"

#include <algorithm>

RunPlan::RunPlan(std::int32_t quantity, std::int32_t length, const Alphabet& alphabet)
    : m_nQuantity(quantity), m_nLength(length) {
    if (alphabet.IsEmpty()) {
        m_outcome.status = RunStatus::EmptyAlphabet;
        return;
    }
    const std::optional<std::size_t> bytes =
        CountBufferBytes(quantity, length, alphabet.MaxCharBytes());
    if (!bytes) {
        m_outcome.status = RunStatus::TooLarge;
        return;
    }
    m_nBufferBytes = *bytes;
    m_nLineBytes = std::size_t(std::max<std::int32_t>(length, 0)) * alphabet.MaxCharBytes() + 2;
}

RunOutcome RunPlan::HoldingWhole(std::size_t limit) const {
    if (m_outcome.status == RunStatus::Done &&
        (m_nBufferBytes > limit || !FitsInMemory(m_nBufferBytes)))
        return {RunStatus::TooLarge, 0, OutputBytes()};
    return m_outcome;
}

std::optional<std::size_t> RunPlan::CountBufferBytes(std::int64_t quantity, std::int64_t length,
                                                     std::size_t maxCharBytes) {
    const auto q = static_cast<std::uint64_t>(std::max<std::int64_t>(quantity, 0));
    const auto l = static_cast<std::uint64_t>(std::max<std::int64_t>(length, 0));
    std::uint64_t line = 0;
    std::uint64_t total = 0;
    if (__builtin_mul_overflow(l, std::uint64_t(maxCharBytes), &line) ||
        __builtin_add_overflow(line, 2u, &line) || __builtin_mul_overflow(q, line, &total) ||
        __builtin_add_overflow(total, 1u, &total) ||
        total > std::numeric_limits<std::size_t>::max())
        return std::nullopt;
    return static_cast<std::size_t>(total);
}

bool RunPlan::FitsInMemory(std::size_t bytes) {
    if (bytes > std::size_t(std::numeric_limits<std::ptrdiff_t>::max()))
        return false;
    const std::size_t physical = platform::PhysicalMemoryBytes();
    return physical == 0 || bytes <= physical;
}
