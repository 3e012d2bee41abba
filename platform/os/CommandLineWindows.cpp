// The command line on Windows: the process's own text, which the program splits itself.
#include "platform/os/CommandLine.h"

#include <windows.h>

namespace platform {

ProcessCommandLine ReadProcessCommandLine(int, const char* const*) {
    // The C runtime's argv has been split and unquoted by other rules; the text is what counts.
    const char* text = GetCommandLineA();
    return CommandLineText{text != nullptr ? text : ""};
}

} // namespace platform
