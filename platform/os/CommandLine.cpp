// The command line on POSIX: the words of argv, one token each.
#include "platform/os/CommandLine.h"

#include <cstring>
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

void AppendElement(CString& out, const char* element) {
    const bool quote = element[0] == '\0' || std::strchr(element, ' ') != nullptr;
    if (!quote) {
        out += element;
        return;
    }
    out += '"';
    for (const char* p = element; *p != '\0'; ++p) {
        if (*p == '"')
            out += '\\';
        out += *p;
    }
    out += '"';
}

} // namespace

namespace platform {

CString BuildCommandLine(int argc, const char* const* argv) {
    CString text;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            text += ' ';
        AppendElement(text, argv[i] != nullptr ? argv[i] : "");
    }
    return text;
}

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
