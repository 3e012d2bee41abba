#include "platform/win/ColumnIndex.h"

#include "platform/os/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Whether text[start, end) holds a byte above 0x7F, eight bytes at a time.
bool HasWideByte(const char* text, std::size_t start, std::size_t end) {
    std::uint64_t seen = 0;
    std::size_t at = start;
    for (; at + 8 <= end; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + at, 8);
        seen |= word;
        if ((at & 0xFFFF) == 0 && (seen & kHighBits) != 0)
            return true;
    }
    for (; at < end; ++at)
        seen |= static_cast<unsigned char>(text[at]);
    return (seen & kHighBits) != 0;
}

std::size_t CharBytes(const char* text, std::size_t at, std::size_t end) {
    return Utf8SequenceLength(reinterpret_cast<const unsigned char*>(text) + at, end - at);
}

// Steps over up to count characters from at, not past end; the one-byte ones eight at a time.
std::size_t Walk(const char* text, std::size_t at, std::size_t end, std::size_t& count) {
    while (count > 0 && at < end) {
        if (count >= 8 && at + 8 <= end) {
            std::uint64_t word;
            std::memcpy(&word, text + at, 8);
            if ((word & kHighBits) == 0) {
                at += 8;
                count -= 8;
                continue;
            }
        }
        at += CharBytes(text, at, end);
        --count;
    }
    return at;
}

} // namespace

void ColumnIndex::Clear() {
    m_lines.clear();
    m_lines.shrink_to_fit();
}

std::optional<std::size_t> ColumnIndex::AddLine(std::size_t line, const char* text,
                                                std::size_t start, std::size_t end) {
    if (end - start < kLongLine)
        return std::nullopt;
    Line entry{line, start, end, false, {}};
    const std::size_t length = end - start;
    entry.blank = std::memchr(text + start, ' ', length) != nullptr ||
                  std::memchr(text + start, '\t', length) != nullptr;
    std::size_t columns = length;
    if (HasWideByte(text, start, end)) {
        columns = 0;
        for (std::size_t at = start; at < end;) {
            entry.marks.push_back(at);
            std::size_t count = kStep;
            at = Walk(text, at, end, count);
            columns += kStep - count;
        }
    }
    m_lines.push_back(std::move(entry));
    return columns;
}

const ColumnIndex::Line* ColumnIndex::Find(std::size_t line) const {
    const auto found =
        std::lower_bound(m_lines.begin(), m_lines.end(), line,
                         [](const Line& entry, std::size_t value) { return entry.line < value; });
    return found != m_lines.end() && found->line == line ? &*found : nullptr;
}

std::optional<std::size_t> ColumnIndex::ColumnOf(const char* text, std::size_t line,
                                                 std::size_t offset) const {
    const Line* entry = Find(line);
    if (entry == nullptr)
        return std::nullopt;
    offset = std::clamp(offset, entry->start, entry->end);
    if (entry->marks.empty())
        return offset - entry->start;
    const auto mark = std::upper_bound(entry->marks.begin(), entry->marks.end(), offset) - 1;
    std::size_t column = std::size_t(mark - entry->marks.begin()) * kStep;
    for (std::size_t at = *mark; at < offset; ++column)
        at += CharBytes(text, at, entry->end);
    return column;
}

std::optional<std::size_t> ColumnIndex::OffsetOf(const char* text, std::size_t line,
                                                 std::size_t column) const {
    const Line* entry = Find(line);
    if (entry == nullptr)
        return std::nullopt;
    if (entry->marks.empty())
        return entry->start + std::min(column, entry->end - entry->start);
    const std::size_t mark = std::min(column / kStep, entry->marks.size() - 1);
    std::size_t count = column - mark * kStep;
    return Walk(text, entry->marks[mark], entry->end, count);
}

std::optional<bool> ColumnIndex::HasBlank(std::size_t line) const {
    const Line* entry = Find(line);
    if (entry == nullptr)
        return std::nullopt;
    return entry->blank;
}

} // namespace platform
