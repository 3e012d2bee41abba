#include "platform/os/ReplacementFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t FromHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

// The nearest errno value of a system error, so that both builds report files alike.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

int LastError() {
    const int error = ErrnoOf(GetLastError());
    return error != 0 ? error : EIO;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A device path as the system names it: \\.\NUL, \\.\CON, \\.\COM1.
bool IsDevicePath(const CString& path) {
    return path.rfind("\\\\.\\", 0) == 0;
}

// A name for a temporary file that does not grow with the target's name.
CString TemporaryName(int attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    char name[64];
    std::snprintf(name, sizeof name, ".mirrak-%lu-%lx%d", GetCurrentProcessId(),
                  static_cast<unsigned long>(now.LowPart), attempt);
    return name;
}

int WriteAll(HANDLE handle, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const DWORD piece = size > (1u << 30) ? DWORD(1u << 30) : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(handle, bytes, piece, &written, nullptr))
            return LastError();
        if (written == 0)
            return EIO;
        bytes += written;
        size -= written;
    }
    return 0;
}

bool Truncate(HANDLE handle) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

} // namespace

int ReplacementFile::Open(const char* path, ReplaceOptions options) {
    Abandon();
    m_bLeftEmpty = false;
    if (path == nullptr || *path == '\0')
        return ENOENT;
    if (IsSeparator(path[std::strlen(path) - 1]))
        return EISDIR; // a name that ends in a separator names a folder
    const DWORD length = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (length == 0)
        return LastError();
    CString full(length, '\0');
    const DWORD written = GetFullPathNameA(path, length, full.data(), nullptr);
    if (written == 0 || written >= length)
        return LastError();
    full.resize(written);
    m_strPath = full;
    const std::size_t separator = full.find_last_of("\\/");
    m_strLeaf = separator == CString::npos ? full : full.substr(separator + 1);

    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (IsDevicePath(full))
            return OpenStream(path, options);
        if (error != ERROR_FILE_NOT_FOUND)
            return ErrnoOf(error);
        m_bExisted = false;
        m_way = WriteWay::Replace;
        m_nMode = FILE_ATTRIBUTE_NORMAL;
        return OpenTemporary();
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;

    // What the name is, a disk file or a device, shows once it is open.
    const HANDLE probe = CreateFileA(full.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return IsDevicePath(full) ? OpenStream(path, options) : LastError();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = GetFileType(probe) == FILE_TYPE_DISK;
    const bool known = disk && GetFileInformationByHandle(probe, &info);
    const int probeError = disk && !known ? LastError() : 0;
    CloseHandle(probe);
    if (!disk)
        return OpenStream(path, options);
    if (!known)
        return probeError;

    m_bExisted = true;
    m_nMode = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (m_nMode == 0)
        m_nMode = FILE_ATTRIBUTE_NORMAL;
    m_nOldBytes = (unsigned long long)(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 && !options.clearReadOnly)
        return EACCES;
    // A file with more names keeps its identity, so that every name sees the new content; so does
    // a link, which the system follows when it opens the name; and one in a folder where no file
    // can be made.
    if (info.nNumberOfLinks > 1 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return OpenInPlace(true);
    m_way = WriteWay::Replace;
    if (OpenTemporary() == 0)
        return 0;
    return OpenInPlace(true);
}

int ReplacementFile::OpenStream(const char* path, ReplaceOptions options) {
    if (!options.allowStreams)
        return kNotRegularFile;
    m_way = WriteWay::Stream;
    const HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    m_fd = FromHandle(handle);
    return 0;
}

int ReplacementFile::OpenTemporary() {
    const CString folder = m_strPath.substr(0, m_strPath.size() - m_strLeaf.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const CString name = folder + TemporaryName(attempt);
        // Not shared: nothing else opens it while the passwords go in.
        const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_fd = FromHandle(handle);
            m_strTemporary = name;
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return ErrnoOf(error);
    }
    return EEXIST;
}

int ReplacementFile::OpenInPlace(bool clearReadOnly) {
    m_way = WriteWay::InPlace;
    const DWORD attributes = GetFileAttributesA(m_strPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return LastError();
    if (clearReadOnly && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        // Given back should the run write nothing.
        m_nRestoreMode = attributes;
        m_bRestoreMode = true;
        if (!SetModeByName(attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)))
            return LastError();
    }
    const HANDLE handle =
        CreateFileA(m_strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const int error = LastError();
        if (m_bRestoreMode)
            SetModeByName(m_nRestoreMode);
        m_bRestoreMode = false;
        return error;
    }
    m_fd = FromHandle(handle);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return EAGAIN; // the file changed while it was opened
    return 0;
}

bool ReplacementFile::SetModeByName(unsigned mode) const {
    return SetFileAttributesA(m_strPath.c_str(), mode) != FALSE;
}

std::size_t ReplacementFile::FreeBytes() const {
    if (m_fd == -1 || m_way == WriteWay::Stream)
        return SIZE_MAX;
    const CString folder = m_strPath.substr(0, m_strPath.size() - m_strLeaf.size());
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr))
        return SIZE_MAX;
    const unsigned long long room =
        available.QuadPart + (m_way == WriteWay::InPlace ? m_nOldBytes : 0);
    return room > SIZE_MAX ? SIZE_MAX : std::size_t(room);
}

int ReplacementFile::Begin() {
    if (m_fd == -1)
        return EBADF;
    if (m_way != WriteWay::InPlace || m_bBegun)
        return 0;
    m_bBegun = true;
    m_bRestoreMode = false; // the content changes now: the file stays without read-only
    return Truncate(AsHandle(m_fd)) ? 0 : LastError();
}

int ReplacementFile::Write(const void* data, std::size_t size) {
    if (m_fd == -1 || (m_way == WriteWay::InPlace && !m_bBegun))
        return EBADF;
    return WriteAll(AsHandle(m_fd), data, size);
}

int ReplacementFile::PlaceTemporary() {
    const char* temporary = m_strTemporary.c_str();
    const char* target = m_strPath.c_str();
    if (!m_bExisted) {
        // Should another file have appeared under the name meanwhile, it is not overwritten.
        if (!MoveFileExA(temporary, target, MOVEFILE_WRITE_THROUGH))
            return LastError();
        m_strTemporary.clear();
        return 0;
    }
    // A read-only target loses that attribute only now, and gets it back if the move fails.
    const DWORD attributes = GetFileAttributesA(target);
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetModeByName(attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)))
        return LastError();
    if (!MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int error = LastError();
        if (readOnly)
            SetModeByName(attributes);
        return error;
    }
    m_strTemporary.clear();
    // The content is the target's now, with the target's other attributes.
    SetModeByName(m_nMode);
    return 0;
}

int ReplacementFile::Commit() {
    if (m_fd == -1)
        return EBADF;
    int error = 0;
    if (m_way == WriteWay::InPlace && !m_bBegun)
        error = Begin();
    // What cannot be flushed would be lost at a power cut: it counts as a failed write.
    if (error == 0 && m_way != WriteWay::Stream && !FlushFileBuffers(AsHandle(m_fd)))
        error = LastError();
    if (error == 0 && m_way == WriteWay::Replace) {
        // The temporary is not shared, so it can be moved only once it is closed.
        CloseHandle(AsHandle(m_fd));
        m_fd = -1;
        error = PlaceTemporary();
    }
    if (error != 0) {
        Abandon();
        return error;
    }
    Close();
    return 0;
}

void ReplacementFile::Abandon() {
    if (m_fd != -1 && m_way == WriteWay::InPlace && m_bBegun) {
        // Never a partly written file: what was written goes again.
        m_bLeftEmpty = Truncate(AsHandle(m_fd));
    }
    const bool restore = m_fd != -1 && m_way == WriteWay::InPlace && m_bRestoreMode;
    const CString temporary = m_strTemporary;
    Close();
    if (restore)
        SetModeByName(m_nRestoreMode);
    if (!temporary.empty())
        DeleteFileA(temporary.c_str());
}

void ReplacementFile::Close() {
    if (m_fd != -1)
        CloseHandle(AsHandle(m_fd));
    m_fd = -1;
    m_strTemporary.clear();
    m_bBegun = false;
    m_bRestoreMode = false;
}

} // namespace platform
