#pragma once

#include <cstddef>
#include <vector>

namespace platform {

// Where the lines of a text start, kept as runs of lines of equal length (break included): a
// million passwords of one length are one run, and a text of lines of many lengths costs two
// numbers a line at most. Lines are added in order by their start offsets.
class LineIndex {
public:
    // Back to one line, starting at 0.
    void Clear();
    // The next line starts at start, after the previous line's break.
    void AddLine(std::size_t start);

    std::size_t Count() const { return m_nLines; }
    std::size_t Start(std::size_t line) const;
    // The line that holds offset (the last line for offsets past its start).
    std::size_t LineOf(std::size_t offset) const;

private:
    struct Run {
        std::size_t line;
        std::size_t offset;
    };
    std::size_t Stride(std::size_t run) const;

    std::vector<Run> m_runs{{0, 0}};
    std::size_t m_nLines = 1;
    std::size_t m_nLastStart = 0;
    std::size_t m_nStride = 0; // line length in the last run; 0 while it has one line
};

} // namespace platform
