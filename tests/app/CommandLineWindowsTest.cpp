// On Windows the command line is the process's own text, which the program splits itself.
#include "app/ProgramLocation.h"
#include "platform/os/CommandLine.h"

#include <gtest/gtest.h>
#include <windows.h>

// windows.h makes GetCurrentDirectory a macro, which would rename ProgramLocation's member here.
#undef GetCurrentDirectory

namespace {

TEST(CommandLineWindowsTest, TheProcessTextIsRecordedAndNamesTheProgram) {
    const char* const argv[] = {"ignored", "words"};
    platform::SetCommandLine(2, argv);
    const auto* text = std::get_if<platform::CommandLineText>(&platform::GetProcessCommandLine());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, GetCommandLineA());

    ProgramLocation location;
    location.Init();
    EXPECT_EQ(location.GetFileName(), "CommandLineWindowsTest.exe") << text->text;
    EXPECT_EQ(location.GetDirectory().back(), '\\') << text->text;
    EXPECT_EQ(location.GetCurrentDirectory().back(), '\\');
}

} // namespace
