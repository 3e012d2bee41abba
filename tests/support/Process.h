#pragma once

// Runs a program as a user would start it, each platform its own way (ProcessPosix.cpp,
// ProcessWindows.cpp), and keeps what it printed.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Environment changes for a program run: a name and its value, or no value to remove it.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct ProgramRun {
    int status = -1; // the exit status; on POSIX 128 + the signal for a killed program
    std::string out, err;
};

// Runs program with the arguments in folder, with the environment changes, and waits for it. On
// POSIX each argument is one argv word and stdout a pipe; on Windows the command line is the
// program's path in double quotes, then each argument after one blank, as given.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder, const Environment& environment = {});

} // namespace testing_support
