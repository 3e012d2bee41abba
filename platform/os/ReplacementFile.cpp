#include "platform/os/ReplacementFile.h"

#include <cstring>

namespace platform {

CString DescribeFileError(int error) {
    switch (error) {
    case kForeignFile:
        return "the file belongs to another user and may not be written here";
    case kUnsafeLink:
        return "a symbolic link of another user in a shared folder is not followed";
    case kNotRegularFile:
        return "not a regular file";
    default:
        return std::strerror(error);
    }
}

ReplacementFile::~ReplacementFile() {
    Abandon();
}

int WriteWholeFile(const char* path, const void* data, std::size_t size, ReplaceOptions options) {
    ReplacementFile file;
    int error = file.Open(path, options);
    if (error == 0)
        error = file.Begin();
    if (error == 0)
        error = file.Write(data, size);
    return error != 0 ? error : file.Commit();
}

} // namespace platform
