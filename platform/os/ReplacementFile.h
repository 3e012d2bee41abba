#pragma once

#include "platform/os/CString.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// How the new content of a file reaches it.
enum class WriteWay {
    // Through a temporary file beside the target that takes its place at Commit: on any failure
    // the target keeps its old content, or is not created.
    Replace,
    // Into the target itself, for a file whose identity must stay: one with more than one name,
    // another user's file, one in a folder this user cannot write, a link (Windows). Begin
    // empties it, so it is called only once all the new content is ready; a write that fails
    // after that leaves the file empty, never partly written.
    InPlace,
    // A device or a pipe, which takes the bytes as they come and cannot take them back.
    Stream,
};

struct ReplaceOptions {
    // This user's own read-only file gets its owner's write permission (on Windows: loses its
    // read-only attribute) and is written; without this it is refused, as the system refuses to
    // open a read-only file for writing.
    bool clearReadOnly = true;
    // Devices and pipes are written; without this anything but a regular (or missing) file is
    // refused without being opened, so that a pipe's missing reader cannot block the program.
    bool allowStreams = true;
};

// Refusals of the output layer, besides errno values.
enum FileRefusal : int {
    kForeignFile = -1,    // another user's file that may not be written in its place
    kUnsafeLink = -2,     // a symbolic link that the kernel's protected_symlinks rule refuses
    kNotRegularFile = -3, // a device or pipe where only a regular file may be written
};

// A short text for an errno value or a refusal, for messages. The Windows build reports the
// system's errors as the nearest errno values too.
CString DescribeFileError(int error);

// Writes the new content of one file. Open resolves the path as the kernel would follow it (a
// symbolic link is followed only where the protected_symlinks rule allows it, whether or not the
// kernel enforces it; a dangling link names its destination) and decides the way; no byte of
// the target changes before Begin (in place) or Commit (through a temporary). A file the program
// creates gets mode 0600; an existing one keeps its mode (with its owner's write permission
// added), and its group where the system lets the user keep it. All calls return 0 or an errno
// value or a FileRefusal.
//
// On Windows the system resolves the path itself and has no owner or link rules of this kind:
// Open tells a device (CON, NUL) from a disk file by what opening it gives; a new or existing disk
// file is replaced through a temporary beside it that is flushed (FlushFileBuffers) and then moved
// over the target (MoveFileExA, replacing and writing through); a read-only file loses only its
// read-only attribute, just before the move, and keeps its other attributes.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    int Open(const char* path, ReplaceOptions options = {});
    WriteWay Way() const { return m_way; }
    // The bytes the new content may take on the target's file system: free space for an
    // unprivileged writer, and in place the space the old content frees. SIZE_MAX for a stream or
    // when the system cannot tell.
    std::size_t FreeBytes() const;
    // In place: empties the target. Otherwise nothing.
    int Begin();
    int Write(const void* data, std::size_t size);
    // Flushes the content to the disk and makes it the file's. A failure is reported, and then
    // nothing of the new content is left.
    int Commit();
    // Drops what was written: the target keeps its old content (and its mode), or is not
    // created; a target that was being written in place is left empty.
    void Abandon();
    // True when a failure left the target empty: it was written in place.
    bool LeftEmpty() const { return m_bLeftEmpty; }

private:
    int OpenStream(const char* path, ReplaceOptions options); // Windows: a device by its name
    int OpenTemporary();
    int OpenInPlace(bool clearReadOnly);
    int PlaceTemporary();
    bool SetModeByName(unsigned mode) const;
    void Close();

    CString m_strPath;      // the target, for a link that only the kernel can follow (Windows:
                            // the target's full path)
    CString m_strLeaf;      // the target's name in its folder
    CString m_strTemporary; // a named temporary in the folder, when the system has no unnamed one
    int m_dirFd = -1;       // the target's folder (POSIX)
    // The temporary, the target or the stream: a descriptor (POSIX) or a handle (Windows), -1 for
    // none in both.
    std::intptr_t m_fd = -1;
    WriteWay m_way = WriteWay::Replace;
    bool m_bExisted = false;
    bool m_bKernelLink = false;
    bool m_bBegun = false;
    bool m_bLeftEmpty = false;
    unsigned m_nMode = 0;        // the mode (Windows: attributes) the content ends with
    unsigned m_nRestoreMode = 0; // in place: the mode (attributes) to give back when nothing was
                                 // written
    bool m_bRestoreMode = false;
    unsigned m_nGroup = 0;
    unsigned long long m_nOldBytes = 0; // in place: what the old content occupies
};

// Writes size bytes at data as the whole new content of the file at path, the ReplacementFile
// way. Returns 0 or an errno value or a FileRefusal.
int WriteWholeFile(const char* path, const void* data, std::size_t size,
                   ReplaceOptions options = {});

} // namespace platform
