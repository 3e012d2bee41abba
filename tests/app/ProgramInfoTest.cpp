// "--help" and "--version": the program tells how to use it, or its version, on stdout and ends;
// every other argument keeps its meaning. (The usage's options and statuses: ManualPage.)

#include "tests/app/BatchModeFixture.h"

namespace {

using namespace testing_support;
using ProgramInfoTest = BatchModeFixture;

// Of the two info options the first one given wins, anywhere on the command line, over a file
// name, which is then not written. Only the exact words are info options: anything else,
// "./--help" included, names the output file.
TEST_F(ProgramInfoTest, InfoOptionsPrintAndWriteNoFileAndOnlyTheExactWordsAreThem) {
    const std::string version = kWindows ? "Mirrak Generator 2.4\r\n" : "Mirrak Generator 2.4\n";
    for (const auto& [args, help] :
         {std::pair<std::vector<std::string>, bool>{{"--help"}, true},
          {{"count:3", "--help", "out.txt", "--version"}, true},
          {{"--version"}, false},
          {{"out.txt", "--version", "--help"}, false}}) {
        const ProgramRun run = RunProgram(MIRRAK_PROGRAM, args, m_work.Path());
        EXPECT_EQ(run.status, kExitWritten) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(help ? run.out.starts_with("Usage: mirrak-generator ") : run.out == version)
            << run.out;
    }
    ExpectKept();
    for (const std::string name : {"--HELP", "--help=1", "-h", "--versions", "-"}) {
        EXPECT_EQ(Run({"count:2", name}), kExitWritten) << name << ": " << m_stderr;
        EXPECT_EQ(Output(name).size(), 2u * 9) << name;
    }
    EXPECT_EQ(Run({NativePath("./--help")}), kExitWritten) << m_stderr;
    EXPECT_EQ(Output("--help").size(), 9u);
}

} // namespace
