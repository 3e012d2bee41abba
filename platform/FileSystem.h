#pragma once

#include "platform/CString.h"

#include <cstddef>

namespace platform {

// The separator of path elements: '/' on POSIX, '\' on Windows.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The process's current directory as reported by the system; empty when it cannot be read or
// does not fit in bufferSize bytes.
CString GetCurrentDirectoryText(std::size_t bufferSize);

// Lets an existing regular file be overwritten by giving its owner write permission. Does
// nothing for a missing file or anything that is not a regular file.
void ClearReadOnly(const char* path);

// True when path names an existing file that is read-only: its owner may not write it, or the
// system refuses this process write access.
bool IsReadOnlyFile(const char* path);

// Writes the new content of a file so that the file at the path changes only when all of it has
// been written: a regular file (or a missing one) gets its content through a temporary file in the
// same folder that replaces it at Commit, keeping an existing file's permissions (with the
// owner's write permission added) and owner. A device or pipe is written in place. Where no
// temporary file can be made beside the target, the file is written in place and removed again
// when the write fails. A file the program creates gets mode 0600. Errors are errno values.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    int Open(const char* path);
    int Write(const void* data, std::size_t size);
    // Makes the written content the file's; on failure nothing of it is left.
    int Commit();
    // Drops what was written: the file keeps its old content, or is removed when it was being
    // written in place.
    void Abandon();

    // The bytes free for an unprivileged writer on the target's file system; SIZE_MAX when the
    // target is not a regular file or the system cannot tell.
    std::size_t FreeBytes() const;

private:
    int OpenTemporary(const CString& directory);
    int OpenInPlace(const char* path);

    CString m_strTarget;    // the file that receives the content
    CString m_strTemporary; // a named temporary beside it, when one was made by name
    int m_fd = -1;
    bool m_bInPlace = false;
    bool m_bRemoveOnFailure = false;
    bool m_bExisted = false;
    unsigned m_nMode = 0;
    unsigned m_nOwner = 0;
    unsigned m_nGroup = 0;
};

// The folder of the running program's file, ending with the path separator; empty when the
// system cannot tell.
CString ExecutableDirectory();

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
