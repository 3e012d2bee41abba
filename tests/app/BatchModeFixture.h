#pragma once

// The fixture of the batch-mode tests: the built program run in a fresh working folder that holds
// "out.txt", which a refused run must leave as it is; and the check of the passwords it writes.

#include "app/CommandLineParser.h"
#include "generator/Alphabet.h"
#include "tests/support/Files.h"
#include "tests/support/Platform.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

inline const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                         kLower = "abcdefghijklmnopqrstuvwxyz",
                         kAlnum = kUpper + kLower + "0123456789";

// Checks that content is, byte for byte, quantity "\r\n"-ended lines of length characters of
// alphabet, whole as the platform's code page has them; with every, that each of them occurs.
inline void ExpectPasswords(const std::string& content, int quantity, int length,
                            const std::string& alphabet, bool every = false) {
    const Alphabet text(content), characters(alphabet);
    std::set<std::string_view> allowed, seen;
    for (std::uint32_t i = 0; i < characters.Count(); ++i)
        allowed.insert(characters.At(i));
    std::string shape, expected; // a drawn character shows as '*'
    for (std::uint32_t i = 0; i < text.Count(); ++i) {
        const std::string_view c = text.At(i);
        shape += allowed.count(c) ? "*" : std::string(c);
        if (allowed.count(c))
            seen.insert(c);
    }
    for (int i = 0; i < quantity; ++i)
        expected += std::string(std::size_t(length), '*') + "\r\n";
    EXPECT_EQ(shape, expected);
    EXPECT_EQ(every ? seen : allowed, allowed);
}

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
