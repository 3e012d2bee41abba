#pragma once

#include "platform/Win.h"

// The application object: start-up chooses between batch mode (an output file on the command
// line) and the generator window.
class GeneratorApp : public CWinApp {
public:
    // Runs start-up to its end; the process's exit status is then ExitStatus().
    BOOL InitInstance() override;
    int ExitStatus() const { return m_nExitStatus; }

private:
    int m_nExitStatus = 0;
};
