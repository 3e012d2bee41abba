#include "platform/os/CommandLine.h"

namespace {

platform::ProcessCommandLine& StoredCommandLine() {
    static platform::ProcessCommandLine stored;
    return stored;
}

} // namespace

namespace platform {

void SetCommandLine(int argc, const char* const* argv) {
    StoredCommandLine() = ReadProcessCommandLine(argc, argv);
}

const ProcessCommandLine& GetProcessCommandLine() {
    return StoredCommandLine();
}

} // namespace platform
