#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace platform {

// Where the characters of the long lines of a text start, so that a column and a byte offset
// convert in a few steps on a line of any length. A long line whose characters are all one byte
// converts by subtraction; any other keeps the offset of every kStep-th character. Short lines are
// not indexed: walking one costs no more than a step between two marks. Lines are added in order.
class ColumnIndex {
public:
    static constexpr std::size_t kLongLine = 4096; // bytes from which a line is indexed
    static constexpr std::size_t kStep = 1024;     // characters between two marks

    void Clear();
    // Takes in line, whose characters are text[start, end). Returns its number of characters when
    // it is long enough to be indexed, nothing otherwise.
    std::optional<std::size_t> AddLine(std::size_t line, const char* text, std::size_t start,
                                       std::size_t end);

    // For an indexed line: the column of offset (a character's first byte, or the line's end), and
    // the offset of column, the line's end for a column past it. Nothing for other lines.
    std::optional<std::size_t> ColumnOf(const char* text, std::size_t line,
                                        std::size_t offset) const;
    std::optional<std::size_t> OffsetOf(const char* text, std::size_t line,
                                        std::size_t column) const;
    // Whether an indexed line holds a blank (a space or a tab); nothing for other lines.
    std::optional<bool> HasBlank(std::size_t line) const;

private:
    struct Line {
        std::size_t line;
        std::size_t start;
        std::size_t end;
        bool blank;
        std::vector<std::size_t> marks; // empty when every character is one byte
    };
    const Line* Find(std::size_t line) const;

    std::vector<Line> m_lines;
};

} // namespace platform
