#pragma once

// Where the tests' expectations differ between the POSIX and the Windows build, they say so here,
// once. The build tells which one it is (MIRRAK_WINDOWS, 1 or 0).

#include "platform/os/Files.h"
#include "tests/support/Process.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

inline constexpr bool kWindows = MIRRAK_WINDOWS != 0;

// The bytes of a character that takes utf8Bytes in UTF-8: on POSIX texts are UTF-8; on Windows
// they are of a single-byte code page, where every byte is a character.
inline std::size_t CharacterBytes(std::size_t utf8Bytes) {
    return kWindows ? 1 : utf8Bytes;
}

// A device that takes every byte written to it.
inline const std::string kNullDevice = kWindows ? "NUL" : "/dev/null";

// The usage line's reason when no output file is named and no window can open: no display
// (POSIX, run without one), or none in the build at all (Windows).
inline const std::string kNoWindowReason =
    kWindows ? "this build has no window" : "no display for the window";

// A path written with '/' as the platform writes it.
inline std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
    return path;
}

// The command-line argument that names a file exactly, blanks included: on POSIX the word itself
// (the shell's quoting is gone by then); on Windows the name in double quotes, which the program
// takes away again when it splits its command-line text.
inline std::string NameArgument(const std::string& name) {
    return kWindows ? '"' + name + '"' : name;
}

// A program to run, and the changes to the environment it runs in.
struct ProgramSetup {
    std::string program;
    Environment environment;
};

// The program made to fail where its environment asks: on POSIX the program itself with a library
// preloaded (FaultShim.cpp), on Windows a test build of it that has its own entries for the system
// calls (FaultShimWindows.cpp). Here the K-th fill from the system's random source and every later
// one fail (K = 1: the first).
inline ProgramSetup FailingRandomFill(int fill) {
    const std::string number = std::to_string(fill);
    if (kWindows)
        return {MIRRAK_FAULT_PROGRAM, {{"MIRRAK_FAIL_CRYPTGENRANDOM", number}}};
    // A sanitizer runtime would otherwise refuse to start after a preloaded library.
    const char* asan = std::getenv("ASAN_OPTIONS");
    return {MIRRAK_FAULT_PROGRAM,
            {{"LD_PRELOAD", MIRRAK_FAULT_PRELOAD},
             {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"},
             {"MIRRAK_FAIL_GETRANDOM", number}}};
}

} // namespace testing_support
