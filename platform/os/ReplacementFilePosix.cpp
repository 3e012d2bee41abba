#include "platform/os/ReplacementFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// Where a path leads: the folder that holds the file (a path without symbolic links) and the
// file's name in it.
struct Target {
    CString directory;
    CString leaf;
    bool exists = false;
    // The last step is a link that names an open file rather than a path (/dev/stdout leads
    // through /proc/self/fd/1): only the kernel can follow it.
    bool kernelLink = false;
    struct stat st {};
};

CString Join(const CString& directory, const CString& name) {
    CString path = directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

CString Parent(const CString& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == CString::npos ? CString("/") : path.substr(0, slash);
}

// Pushes the elements of path onto pending so that the first element is popped first.
void PushElements(const CString& path, std::vector<CString>& pending) {
    std::vector<CString> elements;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == CString::npos)
            end = path.size();
        if (end > start)
            elements.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    pending.insert(pending.end(), elements.rbegin(), elements.rend());
}

// The kernel's protected_symlinks rule: a link is followed when it is the follower's own, when
// its folder is not both sticky and world-writable, or when the folder's owner also owns it.
bool MayFollow(const struct stat& link, const struct stat& folder) {
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return link.st_uid == geteuid() || !shared || link.st_uid == folder.st_uid;
}

bool OnProcFileSystem(const CString& path) {
    struct statfs fs {};
    return statfs(path.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// Follows path element by element as the kernel would, applying the link rule to every link,
// also where the kernel's own rule is switched off.
int Resolve(const char* path, Target& out) {
    if (path == nullptr || *path == '\0')
        return ENOENT;
    if (path[std::strlen(path) - 1] == '/')
        return EISDIR; // a name that ends in a slash names a folder
    CString resolved = "/";
    if (path[0] != '/') {
        std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
        if (!cwd)
            return errno;
        resolved = cwd.get();
    }
    std::vector<CString> pending;
    PushElements(path, pending);
    int links = 0;
    while (!pending.empty()) {
        const CString name = pending.back();
        pending.pop_back();
        if (name == ".")
            continue;
        if (name == "..") {
            resolved = Parent(resolved);
            continue;
        }
        const bool last = pending.empty();
        const CString candidate = Join(resolved, name);
        struct stat st {};
        if (lstat(candidate.c_str(), &st) != 0) {
            if (errno != ENOENT || !last)
                return errno;
            out = {resolved, name, false, false, {}};
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            if (last) {
                out = {resolved, name, true, false, st};
                return 0;
            }
            if (!S_ISDIR(st.st_mode))
                return ENOTDIR;
            resolved = candidate;
            continue;
        }
        struct stat folder {};
        if (stat(resolved.c_str(), &folder) != 0)
            return errno;
        if (!MayFollow(st, folder))
            return kUnsafeLink;
        if (++links > kMaxLinks)
            return ELOOP;
        if (OnProcFileSystem(resolved)) {
            // Links of /proc name processes and open files; their text is no path to follow.
            if (!last) {
                resolved = candidate;
                continue;
            }
            if (stat(candidate.c_str(), &st) != 0)
                return errno;
            out = {resolved, name, true, true, st};
            return 0;
        }
        CString text(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(candidate.c_str(), text.data(), text.size());
        if (length < 0)
            return errno;
        if (std::size_t(length) >= text.size())
            return ENAMETOOLONG; // the link changed while it was read
        text.resize(std::size_t(length));
        if (!text.empty() && text[0] == '/')
            resolved.assign(1, '/');
        PushElements(text, pending);
    }
    return EISDIR; // the path ends in a folder: "/", "." or ".."
}

int WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        bytes += n;
        size -= std::size_t(n);
    }
    return 0;
}

// A name for a temporary file that does not grow with the target's name.
CString TemporaryName(int attempt) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char name[64];
    std::snprintf(name, sizeof name, ".mirrak-%ld-%lx%d", long(getpid()),
                  static_cast<unsigned long>(now.tv_nsec), attempt);
    return name;
}

} // namespace

int ReplacementFile::Open(const char* path, ReplaceOptions options) {
    Abandon();
    m_bLeftEmpty = false;
    Target target;
    if (const int error = Resolve(path, target))
        return error;
    m_strPath = Join(target.directory, target.leaf);
    m_strLeaf = target.leaf;
    m_bKernelLink = target.kernelLink;
    m_bExisted = target.exists;
    // The folder is opened for reading where it can be, so that it can be flushed after a rename.
    m_dirFd = open(target.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0)
        m_dirFd = open(target.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0)
        return errno;
    struct stat folder {};
    if (fstat(m_dirFd, &folder) != 0)
        return errno;

    if (!target.exists) {
        m_way = WriteWay::Replace;
        m_nMode = 0600;
        return OpenTemporary();
    }
    const struct stat& st = target.st;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode)) {
        if (!options.allowStreams)
            return kNotRegularFile;
        m_way = WriteWay::Stream;
        m_fd = m_bKernelLink ? open(m_strPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)
                             : openat(m_dirFd, m_strLeaf.c_str(),
                                      O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
        return m_fd < 0 ? errno : 0;
    }

    m_nMode = (st.st_mode & 07777) | S_IWUSR;
    m_nGroup = st.st_gid;
    m_nOldBytes = (unsigned long long)(st.st_blocks) * 512u;
    if (st.st_uid != geteuid()) {
        // Another user's file is never replaced. It is written in its place where this user may
        // write it, but not in a shared folder such as /tmp, where it may be a trap.
        const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
        if (shared || faccessat(m_dirFd, m_strLeaf.c_str(), W_OK, AT_EACCESS) != 0)
            return kForeignFile;
        m_nMode = st.st_mode & 07777;
        return OpenInPlace(false);
    }
    if ((st.st_mode & S_IWUSR) == 0 && !options.clearReadOnly)
        return EACCES;
    // A file with more names keeps its identity, so that every name sees the new content; so
    // does one reached through /proc, and one in a folder where no file can be made.
    const bool folderWritable = faccessat(m_dirFd, ".", W_OK | X_OK, AT_EACCESS) == 0;
    if (st.st_nlink > 1 || m_bKernelLink || !folderWritable)
        return OpenInPlace(true);
    m_way = WriteWay::Replace;
    if (OpenTemporary() == 0)
        return 0;
    return OpenInPlace(true);
}

int ReplacementFile::OpenTemporary() {
#ifdef O_TMPFILE
    // An unnamed file leaves nothing behind should the process die before Commit. It gets a name
    // through /proc; where /proc is missing a named temporary serves instead.
    m_fd = openat(m_dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
        struct stat st {};
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        if (stat(self.c_str(), &st) == 0)
            return 0;
        close(m_fd);
        m_fd = -1;
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const CString name = TemporaryName(attempt);
        m_fd = openat(m_dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (m_fd >= 0) {
            m_strTemporary = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int ReplacementFile::OpenInPlace(bool clearReadOnly) {
    m_way = WriteWay::InPlace;
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    struct stat st {};
    if (m_bKernelLink ? stat(m_strPath.c_str(), &st) != 0
                      : fstatat(m_dirFd, m_strLeaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (clearReadOnly && (st.st_mode & S_IWUSR) == 0) {
        // Given back should the run write nothing.
        m_nRestoreMode = st.st_mode & 07777;
        m_bRestoreMode = true;
        if (!SetModeByName(m_nRestoreMode | S_IWUSR))
            return errno;
    }
    m_fd = m_bKernelLink ? open(m_strPath.c_str(), flags)
                         : openat(m_dirFd, m_strLeaf.c_str(), flags | O_NOFOLLOW);
    if (m_fd < 0) {
        const int error = errno;
        if (m_bRestoreMode)
            SetModeByName(m_nRestoreMode);
        m_bRestoreMode = false;
        return error;
    }
    struct stat opened {};
    if (fstat(m_fd, &opened) != 0)
        return errno;
    if (opened.st_dev != st.st_dev || opened.st_ino != st.st_ino || !S_ISREG(opened.st_mode))
        return EAGAIN; // the file changed while it was opened
    return 0;
}

bool ReplacementFile::SetModeByName(unsigned mode) const {
    return (m_bKernelLink ? chmod(m_strPath.c_str(), mode)
                          : fchmodat(m_dirFd, m_strLeaf.c_str(), mode, 0)) == 0;
}

std::size_t ReplacementFile::FreeBytes() const {
    struct statvfs fs {};
    if (m_fd < 0 || m_way == WriteWay::Stream || fstatvfs(m_fd, &fs) != 0)
        return SIZE_MAX;
    const unsigned long long free = (unsigned long long)(fs.f_bavail) * fs.f_frsize;
    const unsigned long long room = free + (m_way == WriteWay::InPlace ? m_nOldBytes : 0);
    return room > SIZE_MAX ? SIZE_MAX : std::size_t(room);
}

int ReplacementFile::Begin() {
    if (m_fd < 0)
        return EBADF;
    if (m_way != WriteWay::InPlace || m_bBegun)
        return 0;
    m_bBegun = true;
    m_bRestoreMode = false; // the content changes now: the file keeps its owner's write permission
    if (ftruncate(m_fd, 0) != 0)
        return errno;
    return lseek(m_fd, 0, SEEK_SET) < 0 ? errno : 0;
}

int ReplacementFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0 || (m_way == WriteWay::InPlace && !m_bBegun))
        return EBADF;
    return WriteAll(m_fd, data, size);
}

int ReplacementFile::PlaceTemporary() {
    // The temporary keeps mode 0600 until it is the target: a copy of the passwords that the
    // process leaves behind when it is killed at this moment is readable by its owner only.
    if (m_bExisted && fchown(m_fd, uid_t(-1), gid_t(m_nGroup)) != 0 && errno != EPERM)
        return errno;
    if (m_strTemporary.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        if (!m_bExisted) {
            // A new file takes its name at once; should another file have appeared there
            // meanwhile, it is not overwritten.
            return linkat(AT_FDCWD, self.c_str(), m_dirFd, m_strLeaf.c_str(), AT_SYMLINK_FOLLOW) ==
                           0
                       ? 0
                       : errno;
        }
        for (int attempt = 0; m_strTemporary.empty(); ++attempt) {
            const CString name = TemporaryName(attempt);
            if (linkat(AT_FDCWD, self.c_str(), m_dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                m_strTemporary = name;
            else if (errno != EEXIST || attempt >= 100)
                return errno;
        }
    }
    if (!m_bExisted) {
        if (renameat2(m_dirFd, m_strTemporary.c_str(), m_dirFd, m_strLeaf.c_str(),
                      RENAME_NOREPLACE) == 0) {
            m_strTemporary.clear();
            return 0;
        }
        if (errno != EINVAL)
            return errno; // EEXIST: another file appeared under the name
    }
    if (renameat(m_dirFd, m_strTemporary.c_str(), m_dirFd, m_strLeaf.c_str()) != 0)
        return errno;
    m_strTemporary.clear();
    return 0;
}

int ReplacementFile::Commit() {
    if (m_fd < 0)
        return EBADF;
    int error = 0;
    if (m_way == WriteWay::InPlace && !m_bBegun)
        error = Begin();
    // What fsync cannot flush would be lost at a power cut: it counts as a failed write.
    if (error == 0 && m_way != WriteWay::Stream && fsync(m_fd) != 0)
        error = errno;
    if (error == 0 && m_way == WriteWay::Replace) {
        error = PlaceTemporary();
        if (error == 0) {
            // The content is the target's now: its own mode applies, and the new name is made
            // durable with the folder.
            if (m_bExisted)
                fchmod(m_fd, m_nMode);
            fsync(m_dirFd);
        }
    }
    if (error != 0) {
        Abandon();
        return error;
    }
    Close();
    return 0;
}

void ReplacementFile::Abandon() {
    if (m_fd >= 0 && m_way == WriteWay::InPlace) {
        if (m_bBegun) {
            // Never a partly written file: what was written goes again.
            m_bLeftEmpty = ftruncate(m_fd, 0) == 0;
        } else if (m_bRestoreMode) {
            fchmod(m_fd, m_nRestoreMode);
        }
    }
    if (!m_strTemporary.empty() && m_dirFd >= 0)
        unlinkat(m_dirFd, m_strTemporary.c_str(), 0);
    Close();
}

void ReplacementFile::Close() {
    if (m_fd >= 0)
        close(m_fd);
    if (m_dirFd >= 0)
        close(m_dirFd);
    m_fd = m_dirFd = -1;
    m_strTemporary.clear();
    m_bBegun = false;
    m_bRestoreMode = false;
}

} // namespace platform
