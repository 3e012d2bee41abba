#pragma once

#include "platform/os/CString.h"

#include <variant>
#include <vector>

namespace platform {

// The process's command line, in the form in which the system hands it over; the program path
// comes first in both.
//
// Already split into words (POSIX: argv, split by the shell, which also took its quoting away):
// each word is one token, taken exactly as it stands.
struct CommandLineWords {
    std::vector<CString> words;
};
// One whole text that the program splits into blank-separated tokens itself (Windows: the text
// that GetCommandLineA returns).
struct CommandLineText {
    CString text;
};
using ProcessCommandLine = std::variant<CommandLineWords, CommandLineText>;

// The process's command line as the system hands it over, one source file per platform: on POSIX
// the words of argv; on Windows the system's own text, and argv is not used.
ProcessCommandLine ReadProcessCommandLine(int argc, const char* const* argv);

// Records ReadProcessCommandLine's answer; called once from main before anything reads it.
void SetCommandLine(int argc, const char* const* argv);

// The command line recorded by SetCommandLine; empty before it.
const ProcessCommandLine& GetProcessCommandLine();

} // namespace platform
