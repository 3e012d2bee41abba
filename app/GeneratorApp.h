#pragma once

#include "platform/os/CString.h"

#include <vector>

// The application object: start-up chooses between batch mode (an output file on the command
// line) and the generator window, which lives in a module of its own that is loaded only then.
class GeneratorApp {
public:
    // Runs start-up to its end; the process's exit status is then ExitStatus().
    bool InitInstance();
    int ExitStatus() const { return m_nExitStatus; }

    // Where the window module may be, in the order tried: beside the program's file, then in the
    // folder it is installed to below the program's prefix.
    static std::vector<CString> WindowModuleCandidates();

private:
    int m_nExitStatus = 0;
};
