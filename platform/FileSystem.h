#pragma once

#include "platform/CString.h"

#include <cstddef>

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

// Lets an existing regular file be overwritten by giving its owner write permission. Does
// nothing for a missing file or anything that is not a regular file.
void ClearReadOnly(const char* path);

struct WriteResult {
    bool ok = false;
    int error = 0; // errno of the failing step when !ok
};

// Replaces the content of the file at path with size bytes of data. A file that is created gets
// mode 0600 (owner only); an existing file keeps its mode. When the write fails part-way, a
// regular file is removed so that no partial file is left behind. Devices and pipes are written
// but never removed.
WriteResult WriteWholeFile(const char* path, const void* data, std::size_t size);

// Physical memory of the machine in bytes; 0 when unknown.
std::size_t PhysicalMemoryBytes();

// Overwrites size bytes at data with zeros in a way the compiler cannot drop.
void SecureWipe(void* data, std::size_t size);

} // namespace platform
