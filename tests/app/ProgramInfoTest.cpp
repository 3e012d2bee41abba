// "--help" and "--version": the program tells how to use it, or its version, on stdout and ends;
// every other argument keeps its meaning.

#include "tests/app/BatchModeFixture.h"

#include <gmock/gmock.h>

namespace {

using namespace testing_support;
using testing::HasSubstr;
using ProgramInfoTest = BatchModeFixture;

// The usage names every option, an example and every exit status; of the two info options the
// first one given wins, anywhere on the command line, over a file name, which is then not
// written.
TEST_F(ProgramInfoTest, InfoOptionsPrintAndWriteNoFile) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"count:3", "--help", "out.txt", "--version"}}) {
        const ProgramRun run = RunProgram(MIRRAK_PROGRAM, args, m_work.Path());
        EXPECT_EQ(run.status, kExitWritten) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out.starts_with("Usage: mirrak-generator ")) << run.out;
        for (const char* item :
             {"count:N", "quantity:N", "length:N", "symbols:CLASSES\"SET\"", "symbol:", "--help",
              "--version", "OUTPUT-FILE", "Example", "gen.cfg"})
            EXPECT_THAT(run.out, HasSubstr(item));
        for (int status : {kExitWritten, kExitUsage, kExitEmptyAlphabet, kExitTooLarge,
                           kExitRandomFailed, kExitWriteFailed})
            EXPECT_THAT(run.out, HasSubstr("\n  " + std::to_string(status) + "  "));
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"out.txt", "--version", "--help"}}) {
        const ProgramRun run = RunProgram(MIRRAK_PROGRAM, args, m_work.Path());
        EXPECT_EQ(run.status, kExitWritten);
        // Windows' stdout ends a line with "\r\n".
        EXPECT_EQ(run.out, kWindows ? "Mirrak Generator 2.4\r\n" : "Mirrak Generator 2.4\n");
        EXPECT_EQ(run.err, "");
    }
    ExpectKept();
}

// Only the exact words are info options: anything else, "./--help" included, names the output
// file as before.
TEST_F(ProgramInfoTest, AnyOtherWordNamesTheOutputFile) {
    for (const std::string name : {"--HELP", "--help=1", "-h", "--versions", "-"}) {
        EXPECT_EQ(Run({"count:2", name}), kExitWritten) << name << ": " << m_stderr;
        EXPECT_EQ(Output(name).size(), 2u * 9) << name;
    }
    EXPECT_EQ(Run({NativePath("./--help")}), kExitWritten) << m_stderr;
    EXPECT_EQ(Output("--help").size(), 9u);
}

} // namespace
