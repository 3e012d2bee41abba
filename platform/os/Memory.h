#pragma once

#include "platform/os/CString.h"

#include <cstddef>

namespace platform {

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
