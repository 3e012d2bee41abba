// "--help" and "--version": the program tells how to use it, or its version, on stdout and ends;
// every other argument keeps its meaning.

#include "app/CommandLineParser.h"
#include "tests/app/BatchModeFixture.h"

#include <gmock/gmock.h>

namespace {

using namespace testing_support;
using testing::HasSubstr;

class ProgramInfoTest : public BatchModeFixture {
protected:
    ProgramRun Info(const std::vector<std::string>& args) {
        return RunProgram(MIRRAK_PROGRAM, args, m_work.Path());
    }
};

// The usage names every option, the two info options, an example and every exit status; asking
// for it anywhere on the command line wins over a file name, which is then not written.
TEST_F(ProgramInfoTest, HelpPrintsTheUsageAndWritesNoFile) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"count:3", "--help", "out.txt"}}) {
        const ProgramRun run = Info(args);
        EXPECT_EQ(run.status, kExitWritten) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out.starts_with("Usage: mirrak-generator ")) << run.out;
        for (const char* item :
             {"count:N", "quantity:N", "length:N", "symbols:CLASSES", "symbols:CLASSES\"SET\"",
              "symbol:", "--help", "--version", "OUTPUT-FILE", "Example", "gen.cfg"})
            EXPECT_THAT(run.out, HasSubstr(item));
        for (int status : {kExitWritten, kExitUsage, kExitEmptyAlphabet, kExitTooLarge,
                           kExitRandomFailed, kExitWriteFailed})
            EXPECT_THAT(run.out, HasSubstr("\n  " + std::to_string(status) + "  "));
        ExpectKept();
    }
}

// The version alone; of the two info options the first one given wins.
TEST_F(ProgramInfoTest, VersionPrintsTheVersionAndTheFirstInfoOptionWins) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--version"},
                                                 {"--version", "--help"},
                                                 {"out.txt", "--version"}}) {
        const ProgramRun run = Info(args);
        EXPECT_EQ(run.status, kExitWritten);
        // Windows' stdout ends a line with "\r\n".
        EXPECT_EQ(run.out, kWindows ? "Mirrak Generator 2.4\r\n" : "Mirrak Generator 2.4\n");
        EXPECT_EQ(run.err, "");
    }
    const ProgramRun run = Info({"--help", "--version"});
    EXPECT_TRUE(run.out.starts_with("Usage: ")) << run.out;
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
