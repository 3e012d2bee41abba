#pragma once

#include "platform/CString.h"

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

// Physical memory of the machine in bytes; 0 when unknown.
std::size_t PhysicalMemoryBytes();

// Asks the system to back the untouched memory at data with large pages where it can: the first
// touch of a buffer of many megabytes then costs a few faults instead of thousands.
void PreferLargePages(void* data, std::size_t size);

// Overwrites size bytes at data with zeros in a way the compiler cannot drop.
void SecureWipe(void* data, std::size_t size);
// Overwrites every byte the string owns, the spare capacity too, and leaves it empty. A moved-from
// short string still holds its bytes inside the string object: those are overwritten as well.
void WipeString(CString& text);

} // namespace platform
