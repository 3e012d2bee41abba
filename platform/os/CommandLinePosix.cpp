// The command line on POSIX: the words of argv, one token each.
#include "platform/os/CommandLinePosix.h"

#include "platform/os/CommandLine.h"

#include <utility>

namespace {

struct Stored {
    platform::ProcessCommandLine commandLine;
    CString display;
};

Stored& StoredCommandLine() {
    static Stored stored;
    return stored;
}

} // namespace

namespace platform {

void SetCommandLine(int argc, const char* const* argv) {
    CommandLineWords words;
    for (int i = 0; i < argc; ++i)
        words.words.emplace_back(argv[i] != nullptr ? argv[i] : "");
    StoredCommandLine() = {std::move(words), BuildCommandLine(argc, argv)};
}

const ProcessCommandLine& GetProcessCommandLine() {
    return StoredCommandLine().commandLine;
}

} // namespace platform

const CString& GetCommandLineA() {
    return StoredCommandLine().display;
}
