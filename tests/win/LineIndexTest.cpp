// The line index against the plain list of line starts, for texts whose line lengths repeat,
// change at every line, or come back to an earlier length.

#include "platform/win/LineIndex.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(LineIndexTest, FindsEveryLinesStartAndTheLineOfEveryOffset) {
    const std::string texts[] = {
        "",
        "single line",
        "a\nbb\nccc\ndd\ne\n",
        "same\nsame\nsame\nlonger\nsame\nsame\nx\n\n\nlast",
        std::string(5000, 'p') + "\n" + std::string(1, 'q') + "\n\n",
    };
    for (const std::string& text : texts) {
        std::vector<std::size_t> starts{0};
        platform::LineIndex index;
        index.AddLine(7); // the lines of an earlier text are gone after Clear
        index.AddLine(9);
        index.Clear();
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

} // namespace
