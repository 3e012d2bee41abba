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
// One whole text that the program splits into blank-separated tokens itself (Windows).
struct CommandLineText {
    CString text;
};
using ProcessCommandLine = std::variant<CommandLineWords, CommandLineText>;

// Records the process's command line, here the words of argv; called once from main before
// anything reads it.
void SetCommandLine(int argc, const char* const* argv);

// The command line recorded by SetCommandLine; no words before it.
const ProcessCommandLine& GetProcessCommandLine();

// A one-line display of argv: elements joined by one blank; an element that is empty or holds a
// blank is wrapped in double quotes with each inner double quote written as \". For reading only:
// it is not parsed.
CString BuildCommandLine(int argc, const char* const* argv);

} // namespace platform

// The process's whole command line as one text, program path included; on POSIX the display
// form of argv (see BuildCommandLine); empty before SetCommandLine.
const CString& GetCommandLineA();
