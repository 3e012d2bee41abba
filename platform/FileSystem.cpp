#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

CString GetCurrentDirectoryText(std::size_t bufferSize) {
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    if (getcwd(buffer.get(), bufferSize) == nullptr)
        return CString();
    return CString(buffer.get());
}

void ClearReadOnly(const char* path) {
    struct stat st {};
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if ((st.st_mode & S_IWUSR) == 0)
        chmod(path, (st.st_mode & 07777) | S_IWUSR);
}

WriteResult WriteWholeFile(const char* path, const void* data, std::size_t size) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return {false, errno};

    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);

    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    int error = 0;
    while (done < size) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0) {
            error = EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;

    if (error != 0) {
        if (regular)
            unlink(path);
        return {false, error};
    }
    return {true, 0};
}

std::size_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

void SecureWipe(void* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return;
    std::memset(data, 0, size);
    // Keeps the compiler from treating the memset as a dead store before a free.
    asm volatile("" : : "r"(data) : "memory");
}

} // namespace platform
