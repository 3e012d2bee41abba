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
#include <sys/statvfs.h>
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

bool IsReadOnlyFile(const char* path) {
    struct stat st {};
    if (stat(path, &st) != 0)
        return false;
    return (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) ||
           (access(path, W_OK) != 0 && (errno == EACCES || errno == EROFS || errno == EPERM));
}

ReplacementFile::~ReplacementFile() {
    Abandon();
}

int ReplacementFile::Open(const char* path) {
    Abandon();
    m_strTarget = path;
    struct stat st {};
    if (stat(path, &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return OpenInPlace(path); // a device or a pipe takes the bytes as they come
        m_bExisted = true;
        m_nMode = (st.st_mode & 07777) | S_IWUSR;
        m_nOwner = st.st_uid;
        m_nGroup = st.st_gid;
        // A symbolic link keeps pointing at its file: the file itself is replaced.
        if (std::unique_ptr<char, decltype(&std::free)> real(realpath(path, nullptr), &std::free);
            real)
            m_strTarget = real.get();
    }
    const std::size_t slash = m_strTarget.rfind(kPathSeparator);
    const CString directory = slash == CString::npos ? CString(".")
                              : slash == 0           ? CString(1, kPathSeparator)
                                                     : m_strTarget.substr(0, slash);
    if (OpenTemporary(directory) == 0)
        return 0;
    return OpenInPlace(path);
}

int ReplacementFile::OpenTemporary(const CString& directory) {
#ifdef O_TMPFILE
    // An unnamed file leaves nothing behind should the process die before Commit.
    m_fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        return 0;
#endif
    CString pattern = directory + kPathSeparator + ".mirrak-XXXXXX";
    m_fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0)
        return errno;
    m_strTemporary = pattern;
    return 0;
}

int ReplacementFile::OpenInPlace(const char* path) {
    ClearReadOnly(path);
    m_fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return errno;
    struct stat st {};
    m_bInPlace = true;
    m_bRemoveOnFailure = fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode);
    m_strTarget = path;
    return 0;
}

int ReplacementFile::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = write(m_fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        bytes += n;
        size -= std::size_t(n);
    }
    return 0;
}

int ReplacementFile::Commit() {
    if (m_fd < 0)
        return EBADF;
    int error = 0;
    if (!m_bInPlace) {
        if (m_bExisted) {
            // Best effort: only a privileged writer can hand the file to another owner.
            if (fchown(m_fd, m_nOwner, m_nGroup) != 0 && errno != EPERM)
                error = errno;
            if (error == 0 && fchmod(m_fd, m_nMode) != 0)
                error = errno;
        }
        if (error == 0 && m_strTemporary.empty()) {
            // Give the unnamed file a name beside the target, then move it over the target.
            const std::string source = "/proc/self/fd/" + std::to_string(m_fd);
            for (int attempt = 0; attempt < 100 && m_strTemporary.empty() && error == 0;
                 ++attempt) {
                CString name = m_strTarget + ".mirrak-" + std::to_string(getpid()) + "-" +
                               std::to_string(attempt);
                if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
                    0)
                    m_strTemporary = name;
                else if (errno != EEXIST)
                    error = errno;
            }
            if (error == 0 && m_strTemporary.empty())
                error = EEXIST;
        }
    }
    if (close(m_fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    m_fd = -1;
    if (error == 0 && !m_bInPlace && rename(m_strTemporary.c_str(), m_strTarget.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Abandon();
        return error;
    }
    m_strTemporary.clear();
    m_bInPlace = false;
    m_bRemoveOnFailure = false;
    return 0;
}

void ReplacementFile::Abandon() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemporary.empty())
        unlink(m_strTemporary.c_str());
    else if (m_bInPlace && m_bRemoveOnFailure)
        unlink(m_strTarget.c_str());
    m_strTemporary.clear();
    m_bInPlace = false;
    m_bRemoveOnFailure = false;
    m_bExisted = false;
}

std::size_t ReplacementFile::FreeBytes() const {
    struct stat st {};
    struct statvfs fs {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || fstatvfs(m_fd, &fs) != 0)
        return SIZE_MAX;
    return std::size_t(fs.f_bavail) * std::size_t(fs.f_frsize);
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
