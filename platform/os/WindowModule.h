#pragma once

#include "platform/os/CString.h"

#include <vector>

namespace platform {

// The name of the function that the window module exports: int MirrakWindowMain(void) runs the
// generator window to its end and returns the process's exit status.
inline constexpr const char* kWindowEntryPoint = "MirrakWindowMain";

// True when a window could be shown at all: a display to connect to, or a window platform that
// the user chose.
bool DisplayAvailable();

// Loads the first of the candidate modules that loads and runs its window; returns its exit
// status, or -1 with the reasons in error when none could be loaded.
int RunWindowModule(const std::vector<CString>& candidates, CString& error);

} // namespace platform
