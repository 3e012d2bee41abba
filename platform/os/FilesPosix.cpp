#include "platform/os/Files.h"

#include <cstdlib>
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

} // namespace platform
