#pragma once

// The application object: start-up chooses between batch mode (an output file on the command
// line) and the interactive window.
class GeneratorApp {
public:
    // Runs start-up to its end and returns the process's exit status.
    int InitInstance();
};
