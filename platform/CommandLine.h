#pragma once

#include "platform/CString.h"

namespace platform {

// Rebuilds the single command-line text that the program parses from the elements of argv:
// elements joined by one blank; an element that is empty or holds a blank is wrapped in double
// quotes with each inner double quote written as \"; every other element stands as typed.
CString BuildCommandLine(int argc, const char* const* argv);

// Records the process's command line; called once from main before anything reads it.
void SetCommandLine(int argc, const char* const* argv);

} // namespace platform

// The process's whole command line, program path included; empty before SetCommandLine.
const CString& GetCommandLineA();
