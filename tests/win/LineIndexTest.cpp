// The line index against the plain list of line starts, for texts whose line lengths repeat,
// change or come back; the column index of long lines against a walk over their characters.

#include "platform/win/LineIndex.h"

#include "platform/os/Utf8.h"
#include "platform/win/ColumnIndex.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(LineIndexTest, FindsEveryLinesStartAndTheLineOfEveryOffset) {
    const std::string texts[] = {
        "single line",
        "a\nbb\nccc\ndd\ne\n" + std::string(5000, 'p') + "\nq\n\n",
        "same\nsame\nsame\nlonger\nsame\nsame\nx\n\n\nlast",
    };
    for (const std::string& text : texts) {
        std::vector<std::size_t> starts{0};
        platform::LineIndex index;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                starts.push_back(i + 1);
                index.AddLine(i + 1);
            }
        ASSERT_EQ(index.Count(), starts.size()) << text;
        for (std::size_t line = 0; line < starts.size(); ++line)
            EXPECT_EQ(index.Start(line), starts[line]) << text << " line " << line;
        for (std::size_t offset = 0, line = 0; offset <= text.size(); ++offset) {
            while (line + 1 < starts.size() && starts[line + 1] <= offset)
                ++line;
            EXPECT_EQ(index.LineOf(offset), line) << text << " offset " << offset;
        }
    }
}

// Lines short and long, of one-byte characters, of several-byte ones from the step's edges on,
// with bytes that start no character, and with blanks or without.
TEST(ColumnIndexTest, ConvertsColumnsAndOffsetsOfLongLinesAsAWalkDoes) {
    using platform::ColumnIndex;
    const std::string step(ColumnIndex::kStep - 1, 'a');
    const std::string lines[] = {
        "short",
        std::string(ColumnIndex::kLongLine, 'p'),
        std::string(ColumnIndex::kLongLine + 3, 'q') + " tail",
        step + "\xC3\xA9" + step + "\xE2\x82\xAC" + std::string(3000, 'b') + "\xF0\x9F\x98\x80",
        std::string(700, '\xFF') + std::string(3 * ColumnIndex::kStep, 'c') + "\xC3",
    };
    std::string text = "\n"; // line 0 is empty
    for (const std::string& line : lines)
        text += line + "\n";
    ColumnIndex index;
    index.AddLine(99, text.data(), 0, 5000); // an earlier text's lines are gone after Clear
    index.Clear();
    std::size_t start = 1;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const std::size_t line = i + 1, end = start + lines[i].size();
        SCOPED_TRACE(line);
        // The walk: the offset of every column, and the line's end.
        std::vector<std::size_t> offsets;
        for (std::size_t at = start; at < end;
             at +=
             Utf8SequenceLength(reinterpret_cast<const unsigned char*>(text.data()) + at, end - at))
            offsets.push_back(at);
        offsets.push_back(end);
        const std::optional<std::size_t> columns = index.AddLine(line, text.data(), start, end);
        if (lines[i].size() < ColumnIndex::kLongLine) {
            EXPECT_FALSE(columns);
            EXPECT_FALSE(index.ColumnOf(text.data(), line, start));
            EXPECT_FALSE(index.HasBlank(line));
        } else {
            ASSERT_EQ(columns, offsets.size() - 1);
            EXPECT_EQ(index.HasBlank(line), lines[i].find(' ') != std::string::npos);
            for (std::size_t column = 0; column < offsets.size(); ++column) {
                ASSERT_EQ(index.ColumnOf(text.data(), line, offsets[column]), column);
                ASSERT_EQ(index.OffsetOf(text.data(), line, column), offsets[column]);
            }
            EXPECT_EQ(index.OffsetOf(text.data(), line, offsets.size() + 5), end);
        }
        start = end + 1;
    }
}

} // namespace
