#pragma once

#include "platform/os/CString.h"

// The process's whole command line as one text, program path included, as Windows names it; on
// POSIX the display form of argv (see platform::BuildCommandLine); empty before SetCommandLine.
// On Windows the system's own GetCommandLineA serves.
const CString& GetCommandLineA();
