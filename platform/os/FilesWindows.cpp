#include "platform/os/Files.h"

#include <fcntl.h>
#include <io.h>
#include <memory>
#include <windows.h>

namespace platform {

CString GetCurrentDirectoryText(std::size_t bufferSize) {
    if (bufferSize == 0 || bufferSize > MAXDWORD)
        return CString();
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    const DWORD length = GetCurrentDirectoryA(DWORD(bufferSize), buffer.get());
    if (length == 0 || length >= bufferSize)
        return CString();
    return CString(buffer.get(), length);
}

std::FILE* OpenRegularFile(const char* path) {
    // Opening a pipe or a device by name does not block; its type is checked before any read.
    const HANDLE handle =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr)
        _close(fd); // closes the handle too
    return file;
}

CString ExecutableDirectory() {
    // Paths may be longer than MAX_PATH: the buffer grows until the name fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::unique_ptr<char[]> buffer(new char[size]);
        const DWORD length = GetModuleFileNameA(nullptr, buffer.get(), size);
        if (length == 0)
            return CString();
        if (length < size) {
            const CString file(buffer.get(), length);
            const std::size_t separator = file.rfind(kPathSeparator);
            return separator == CString::npos ? CString() : file.substr(0, separator + 1);
        }
    }
    return CString();
}

} // namespace platform
