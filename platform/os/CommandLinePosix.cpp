// The command line on POSIX: the words of argv, one token each.
#include "platform/os/CommandLine.h"

#include <utility>

namespace {

platform::ProcessCommandLine& StoredCommandLine() {
    static platform::ProcessCommandLine stored;
    return stored;
}

} // namespace

namespace platform {

void SetCommandLine(int argc, const char* const* argv) {
    CommandLineWords words;
    for (int i = 0; i < argc; ++i)
        words.words.emplace_back(argv[i] != nullptr ? argv[i] : "");
    StoredCommandLine() = std::move(words);
}

const ProcessCommandLine& GetProcessCommandLine() {
    return StoredCommandLine();
}

} // namespace platform
