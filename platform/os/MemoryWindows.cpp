#include "platform/os/Memory.h"

#include <windows.h>

namespace platform {

std::size_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return 0;
    return static_cast<std::size_t>(status.ullTotalPhys);
}

void PreferLargePages(void*, std::size_t) {
    // Large pages need a privilege that programs do not have by default: nothing to ask for.
}

void SecureWipe(void* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return;
    SecureZeroMemory(data, size);
}

} // namespace platform
