#pragma once

// The fixture of the batch-mode tests: the built program run in a fresh working folder that holds
// "out.txt", which a refused run must leave as it is.

#include "app/CommandLineParser.h"
#include "tests/app/Passwords.h"
#include "tests/support/Files.h"
#include "tests/support/Platform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testing_support {

class BatchModeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(m_work / "out.txt", "keep me\n");
        m_mode = FileMode(m_work / "out.txt");
    }
    std::string Output(const std::string& name = "out.txt") { return ReadFile(m_work / name); }
    long Entries() { return long(std::distance(fs::directory_iterator(m_work.Path()), {})); }
    void ExpectKept(long entries = 1) {
        EXPECT_EQ(Output(), "keep me\n");
        EXPECT_EQ(FileMode(m_work / "out.txt"), m_mode);
        EXPECT_EQ(Entries(), entries);
    }

    // Runs the program (setup's, if it names one) in the working folder; returns its exit status
    // and keeps its stderr. Batch mode prints nothing on stdout.
    int Run(const std::vector<std::string>& args, const ProgramSetup& setup = {}) {
        const ProgramRun run = RunProgram(setup.program.empty() ? MIRRAK_PROGRAM : setup.program,
                                          args, m_work.Path(), setup.environment);
        EXPECT_EQ(run.out, "");
        m_stderr = run.err;
        return run.status;
    }
    // Runs args expecting the exit status and one line on stderr that names the file.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& name,
                       const ProgramSetup& setup = {}) {
        EXPECT_EQ(Run(args, setup), status) << m_stderr;
        EXPECT_LT(m_stderr.find(name), m_stderr.find('\n')) << m_stderr;
        EXPECT_EQ(m_stderr.find('\n'), m_stderr.size() - 1) << m_stderr;
    }

    TempDir m_work;
    unsigned m_mode = 0; // out.txt's, which a refused run keeps
    std::string m_stderr;
};

} // namespace testing_support
