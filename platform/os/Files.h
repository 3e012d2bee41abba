#pragma once

#include "platform/os/CString.h"

#include <cstddef>
#include <cstdio>

namespace platform {

// The separator of path elements: '/' on POSIX, '\' on Windows.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The process's current directory as reported by the system; empty when it cannot be read or
// does not fit in bufferSize bytes.
CString GetCurrentDirectoryText(std::size_t bufferSize);

// Opens a regular file for reading in binary mode; null when it cannot be opened or the name
// holds anything else (a pipe would keep the program waiting for a writer; a device never ends).
std::FILE* OpenRegularFile(const char* path);

// The folder of the running program's file, ending with the path separator; empty when the
// system cannot tell.
CString ExecutableDirectory();

} // namespace platform
