#include "app/ProgramInfo.h"

#include "app/CommandLineParser.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr const char* kHelpWord = "--help";
constexpr const char* kVersionWord = "--version";

InfoRequest RequestOf(const CString& token) {
    if (token == kHelpWord)
        return InfoRequest::Usage;
    if (token == kVersionWord)
        return InfoRequest::Version;
    return InfoRequest::None;
}

} // namespace

InfoRequest FindInfoRequest(const platform::ProcessCommandLine& commandLine) {
    if (const auto* words = std::get_if<platform::CommandLineWords>(&commandLine)) {
        for (std::size_t i = 1; i < words->words.size(); ++i)
            if (const InfoRequest request = RequestOf(words->words[i]);
                request != InfoRequest::None)
                return request;
        return InfoRequest::None;
    }
    const CString& text = std::get<platform::CommandLineText>(commandLine).text;
    std::size_t position = 0;
    NextToken(text, position); // the program path
    while (const std::optional<CString> token = NextToken(text, position))
        if (const InfoRequest request = RequestOf(*token); request != InfoRequest::None)
            return request;
    return InfoRequest::None;
}

CString UsageText() {
    return "Usage: mirrak-generator [count:N | quantity:N] [length:N]\n"
           "                        [symbols:CLASSES[\"SET\"]] OUTPUT-FILE\n"
           "       mirrak-generator [OPTION]...   (no OUTPUT-FILE: opens the generator window)\n"
           "       mirrak-generator --help | --version\n"
           "\n"
           "Writes random passwords, drawn from the system's cryptographic random source, into\n"
           "OUTPUT-FILE, one per line, each line ending in CR LF. Option keywords may be typed in\n"
           "any case; any other argument names the output file, and the last one wins.\n"
           "\n"
           "Options:\n"
           "  count:N, quantity:N   number of passwords (default 1)\n"
           "  length:N              characters per password (default 7)\n"
           "  symbols:CLASSES       the character classes: a lower-case letters, A upper-case\n"
           "                        letters, 0 digits; classes not named are off (default aA0);\n"
           "                        symbol: is the same option\n"
           "  symbols:CLASSES\"SET\"  as above, plus the special symbols in SET, any UTF-8 text\n"
           "                        (\\\" gives \", \\\\ gives \\)\n"
           "  --help                print this usage and exit\n"
           "  --version             print the version and exit\n"
           "\n"
           "A number below 1 counts as 1. Without OUTPUT-FILE the window opens, its fields preset\n"
           "by the options where its settings file \"gen.cfg\" (in the current directory) gives\n"
           "none. A file named --help or --version is written as ./--help or ./--version.\n"
           "\n"
           "Example:\n"
           "  mirrak-generator length:16 count:5 'symbols:aA0\"#$%\"' passwords.txt\n"
           "\n"
           "Exit status:\n"
           "  0  the passwords were written (or this usage or the version was printed)\n"
           "  2  no output file was named and the window cannot open (no display, or its\n"
           "     module mirrak-window.so cannot be loaded)\n"
           "  3  the chosen classes give no character to draw from\n"
           "  4  the passwords would not fit on the disk or in memory\n"
           "  5  the system's random source failed\n"
           "  6  the file could not be created or written, or may not be written\n"
           "\n"
           "The manual page mirrak-generator(1) and the help pages tell the details.\n";
}

CString VersionText() {
    return "Mirrak Generator " MIRRAK_VERSION "\n";
}

int PrintInfo(InfoRequest request) {
    const CString text = request == InfoRequest::Usage ? UsageText() : VersionText();
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    int error = errno;
    if (std::fflush(stdout) != 0)
        error = errno;
    else if (written)
        return kExitWritten;
    std::fprintf(stderr, "mirrak-generator: standard output: %s\n",
                 error != 0 ? std::strerror(error) : "write error");
    return kExitWriteFailed;
}
