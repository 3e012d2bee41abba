#pragma once

#include "platform/os/CString.h"

#include <vector>

namespace platform {

// The name of the function that the window module exports: int MirrakWindowMain(void) runs the
// generator window to its end and returns the process's exit status.
inline constexpr const char* kWindowEntryPoint = "MirrakWindowMain";

// True when a window could be shown at all: a display to connect to, or a window platform that
// the user chose. Always false in a build without the window (Windows).
bool DisplayAvailable();

// Why no window can be shown, for the usage line: no display, or no window in this build at all;
// empty when DisplayAvailable().
CString NoWindowReason();

// Loads the first of the candidate modules that loads and runs its window; returns its exit
// status, or -1 with the reasons in error when none could be loaded.
int RunWindowModule(const std::vector<CString>& candidates, CString& error);

} // namespace platform
