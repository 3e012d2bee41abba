#include "platform/win/LineIndex.h"

#include <algorithm>

namespace platform {

void LineIndex::Clear() {
    m_runs.assign(1, Run{0, 0});
    m_runs.shrink_to_fit();
    m_nLines = 1;
    m_nLastStart = 0;
    m_nStride = 0;
}

void LineIndex::AddLine(std::size_t start) {
    const std::size_t length = start - m_nLastStart; // of the line before
    if (m_nStride == 0) {
        m_nStride = length;
    } else if (length != m_nStride) {
        m_runs.push_back({m_nLines - 1, m_nLastStart});
        m_nStride = length;
    }
    m_nLastStart = start;
    ++m_nLines;
}

std::size_t LineIndex::Stride(std::size_t run) const {
    if (run + 1 == m_runs.size())
        return m_nStride;
    const Run& next = m_runs[run + 1];
    return (next.offset - m_runs[run].offset) / (next.line - m_runs[run].line);
}

std::size_t LineIndex::Start(std::size_t line) const {
    const auto found =
        std::upper_bound(m_runs.begin(), m_runs.end(), line,
                         [](std::size_t value, const Run& run) { return value < run.line; }) -
        1;
    return found->offset + (line - found->line) * Stride(std::size_t(found - m_runs.begin()));
}

std::size_t LineIndex::LineOf(std::size_t offset) const {
    const auto found =
        std::upper_bound(m_runs.begin(), m_runs.end(), offset,
                         [](std::size_t value, const Run& run) { return value < run.offset; }) -
        1;
    const std::size_t stride = Stride(std::size_t(found - m_runs.begin()));
    if (stride == 0)
        return found->line;
    return std::min(found->line + (offset - found->offset) / stride, m_nLines - 1);
}

} // namespace platform
