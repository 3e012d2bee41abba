#include "platform/os/Memory.h"

#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

std::size_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

void PreferLargePages(void* data, std::size_t size) {
#if defined(MADV_HUGEPAGE)
    // Only the whole large pages inside the buffer: the advice applies to the pages it names.
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const std::uintptr_t begin =
        (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void SecureWipe(void* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return;
    std::memset(data, 0, size);
    // Keeps the compiler from treating the memset as a dead store before a free.
    asm volatile("" : : "r"(data) : "memory");
}

} // namespace platform
