#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

CString GetCurrentDirectoryText(std::size_t bufferSize) {
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    if (getcwd(buffer.get(), bufferSize) == nullptr)
        return CString();
    return CString(buffer.get());
}

std::FILE* OpenRegularFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr)
        close(fd);
    return file;
}

CString ExecutableDirectory() {
#ifdef __linux__
    std::unique_ptr<char, decltype(&std::free)> path(realpath("/proc/self/exe", nullptr),
                                                     &std::free);
    if (path) {
        const CString file = path.get();
        return file.substr(0, file.rfind(kPathSeparator) + 1);
    }
#endif
    return CString();
}

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

void WipeString(CString& text) {
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size());
    text.clear();
}

} // namespace platform
