// The command line on POSIX: the words of argv, one token each.
#include "platform/os/CommandLine.h"

namespace platform {

ProcessCommandLine ReadProcessCommandLine(int argc, const char* const* argv) {
    CommandLineWords words;
    for (int i = 0; i < argc; ++i)
        words.words.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return words;
}

} // namespace platform
