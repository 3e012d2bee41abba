#pragma once

// The shell's "open": a document with the program the desktop associates with it, an address in
// the web browser.

#include "platform/win/Win.h"

#include <functional>

// The result of ShellExecuteA: above 32 when the shell took the request, otherwise an error.
using HINSTANCE = std::intptr_t;
inline constexpr HINSTANCE SE_ERR_FNF = 2;
inline constexpr HINSTANCE SE_ERR_NOASSOC = 31;

// Opens file with the desktop's program for it. Only the verb "open" (in any case) is known;
// parameters and the show command are not used; a relative path is taken from directory, or
// from the current directory when directory is null or empty.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);

namespace platform {

// Whether the desktop has an application for files of the MIME type: on a Linux or BSD desktop,
// what `xdg-mime query default TYPE` names (false where that tool is missing, fails or names
// nothing); elsewhere the system opens any file it knows, so true.
bool DesktopOpensType(const char* mimeType);

// What the shell opens for file: an address with a scheme ("https:", "mailto:", "file:") as it
// stands; an existing file, or any name that does not start with "www.", as the local file it
// names; a name that starts with "www." and names no file is a web address, taken as
// "https://" followed by the name, as browsers guess.
CString ShellTarget(const char* file, const char* directory);

// Test seam: while set, ShellExecuteA hands its arguments to this function and returns its result.
using ShellExecuteFunction =
    std::function<HINSTANCE(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show)>;
void SetShellExecuteForTesting(ShellExecuteFunction execute);

} // namespace platform
