#pragma once

// Where the tests' expectations differ between the POSIX and the Windows build (MIRRAK_WINDOWS).

#include "platform/os/Files.h"
#include "tests/support/Process.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace testing_support {

inline constexpr bool kWindows = MIRRAK_WINDOWS != 0;

// The bytes of a character of utf8Bytes in UTF-8: Windows' code page has one byte a character.
inline std::size_t CharacterBytes(std::size_t utf8Bytes) {
    return kWindows ? 1 : utf8Bytes;
}

inline const std::string kNullDevice = kWindows ? "NUL" : "/dev/null";

inline const std::string kNoWindowReason =
    kWindows ? "this build has no window" : "no display for the window";

// A path written with '/' as the platform writes it.
inline std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
    return path;
}

// The argument that names a file exactly, blanks included: on Windows in double quotes, which the
// program's own splitting of its command-line text takes away.
inline std::string NameArgument(const std::string& name) {
    return kWindows ? '"' + name + '"' : name;
}

// A program to run, and the changes to the environment it runs in.
struct ProgramSetup {
    std::string program;
    Environment environment;
};

// The program made to fail where the switches ask (FaultShim.cpp, FaultShimWindows.cpp).
inline ProgramSetup Faults(Environment switches) {
    if (!kWindows) {
        // A sanitizer runtime would otherwise refuse to start after a preloaded library.
        const char* asan = std::getenv("ASAN_OPTIONS");
        switches.push_back({"LD_PRELOAD", MIRRAK_FAULT_PRELOAD});
        switches.push_back(
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"});
    }
    return {MIRRAK_FAULT_PROGRAM, std::move(switches)};
}

// The K-th fill from the system's random source and every later one fail (K = 1: the first).
inline ProgramSetup FailingRandomFill(int fill) {
    return Faults({{kWindows ? "MIRRAK_FAIL_CRYPTGENRANDOM" : "MIRRAK_FAIL_GETRANDOM",
                    std::to_string(fill)}});
}

} // namespace testing_support
