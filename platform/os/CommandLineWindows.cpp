// The command line on Windows: the process's own text, which the program splits itself.
#include "platform/os/CommandLine.h"

#include <windows.h>

namespace {

platform::ProcessCommandLine& StoredCommandLine() {
    static platform::ProcessCommandLine stored;
    return stored;
}

} // namespace

namespace platform {

void SetCommandLine(int, const char* const*) {
    // The C runtime's argv has been split and unquoted by other rules; the text is what counts.
    const char* text = GetCommandLineA();
    StoredCommandLine() = CommandLineText{text != nullptr ? text : ""};
}

const ProcessCommandLine& GetProcessCommandLine() {
    return StoredCommandLine();
}

} // namespace platform
